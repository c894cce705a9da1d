#include "TablesText.h"

#include "Disc.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <vector>

namespace dvd
{

namespace
{

constexpr std::string_view kFormatLine = "velko-dvd-tables 1";

// The last field of a record, with the three characters that would end or
// confuse it written as %XX.
std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\n')
            out += "%0A";
        else if (c == '\r')
            out += "%0D";
        else
            out += c;
    }
    return out;
}

// A text that is not a description this writer made.
struct BadText {
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    throw BadText{};
}

std::string unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            throw BadText{};
        out += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
        i += 2;
    }
    return out;
}

// One record being written: its keyword, numbers, and at most one string,
// which ends it.
class Record
{
public:
    Record(std::string &out, std::string_view keyword) : m_out(out) { m_out += keyword; }
    ~Record() { m_out += '\n'; }
    Record(const Record &) = delete;
    Record &operator=(const Record &) = delete;

    Record &operator<<(std::int64_t value)
    {
        m_out += ' ';
        m_out += std::to_string(value);
        return *this;
    }
    void text(std::string_view value)
    {
        m_out += ' ';
        m_out += escaped(value);
    }

private:
    std::string &m_out;
};

// The fields of one record being read, in the order Record wrote them.
class Fields
{
public:
    explicit Fields(std::string_view line) : m_rest(line) { keyword = word(); }

    std::string_view keyword;

    template <typename T> T number(std::int64_t min, std::int64_t max)
    {
        const std::string_view field = word();
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (error != std::errc() || end != field.data() + field.size() || value < min ||
            value > max)
            throw BadText{};
        return T(value);
    }
    std::int64_t count() { return number<std::int64_t>(0, INT64_MAX); }
    int small() { return number<int>(INT32_MIN, INT32_MAX); }
    bool flag() { return number<int>(0, 1) != 0; }
    std::uint32_t sector() { return number<std::uint32_t>(0, UINT32_MAX); }
    template <typename E> E kind(E last) { return number<E>(0, std::int64_t(last)); }

    // The string that ends the record (possibly empty).
    std::string text()
    {
        if (m_rest.empty() || m_rest.front() != ' ')
            throw BadText{};
        m_rest.remove_prefix(1);
        std::string value = unescaped(m_rest);
        m_rest = {};
        return value;
    }
    void finish() const
    {
        if (!m_rest.empty())
            throw BadText{};
    }

private:
    std::string_view word()
    {
        if (m_started) {
            if (m_rest.empty() || m_rest.front() != ' ')
                throw BadText{};
            m_rest.remove_prefix(1);
        }
        m_started = true;
        const std::size_t space = m_rest.find(' ');
        const std::string_view field = m_rest.substr(0, space);
        m_rest.remove_prefix(field.size());
        if (field.empty())
            throw BadText{};
        return field;
    }

    std::string_view m_rest;
    bool m_started = false;
};

void writeVideo(Record &record, const VideoInfo &video)
{
    record << int(video.standard) << video.width << video.height << video.aspectNum
           << video.aspectDen << int(video.mpeg1);
}

VideoInfo readVideo(Fields &fields)
{
    VideoInfo video;
    video.standard = fields.kind(VideoStandard::Ntsc);
    video.width = fields.small();
    video.height = fields.small();
    video.aspectNum = fields.small();
    video.aspectDen = fields.small();
    video.mpeg1 = fields.flag();
    return video;
}

void writeStreams(std::string &out, const std::vector<AudioStream> &audio,
                  const std::vector<SubtitleStream> &subtitles)
{
    for (const AudioStream &stream : audio) {
        Record record(out, "audio");
        record << int(stream.codec) << stream.channels << stream.sampleRate << stream.streamId
               << int(stream.content);
        record.text(stream.language);
    }
    for (const SubtitleStream &stream : subtitles) {
        Record record(out, "subtitle");
        record << int(stream.content) << stream.streamId;
        record.text(stream.language);
    }
}

void writeTitleSet(std::string &out, const TitleSet &set)
{
    {
        Record record(out, "set");
        record << set.number;
        writeVideo(record, set.video);
    }
    writeStreams(out, set.audio, set.subtitles);
    for (const Piece &piece : set.pieces) {
        Record record(out, "piece");
        record << piece.titleSet << piece.number << piece.sizeBytes << piece.firstSector
               << piece.durationMs << std::int64_t(piece.titles.size());
        for (const int title : piece.titles)
            record << title;
        record.text(piece.path);
    }
}

void writeTitle(std::string &out, const Title &title)
{
    {
        Record record(out, "title");
        record << title.number << title.titleSet << title.titleInSet << title.durationMs
               << title.angles;
        writeVideo(record, title.video);
        record.text(title.unreadable);
    }
    for (const Chapter &chapter : title.chapters)
        Record(out, "chapter") << chapter.startMs;
    writeStreams(out, title.audio, title.subtitles);
    {
        Record record(out, "palette");
        for (const std::uint32_t colour : title.palette)
            record << colour;
    }
    for (const SectorRange &range : title.sectors)
        Record(out, "sectors") << range.firstSector << range.lastSector;
    for (const ByteRange &range : title.ranges) {
        Record record(out, "range");
        record << range.start << range.end;
        record.text(range.path);
    }
}

// Reads the records into a disc; where the streams of an "audio" or
// "subtitle" line go is the title set or title last begun.
class DiscReader
{
public:
    explicit DiscReader(std::vector<Title> &titles) : m_titles(titles) {}

    void audio(Fields &fields)
    {
        AudioStream stream;
        stream.codec = fields.kind(AudioCodec::Unknown);
        stream.channels = fields.small();
        stream.sampleRate = fields.small();
        stream.streamId = fields.small();
        stream.content = fields.kind(AudioContent::SecondCommentary);
        stream.language = fields.text();
        if (!m_audio)
            throw BadText{};
        m_audio->push_back(std::move(stream));
    }
    void subtitle(Fields &fields)
    {
        SubtitleStream stream;
        stream.content = fields.kind(SubtitleContent::ChildrenCommentary);
        stream.streamId = fields.small();
        stream.language = fields.text();
        if (!m_subtitles)
            throw BadText{};
        m_subtitles->push_back(std::move(stream));
    }
    void set(Fields &fields, std::vector<TitleSet> &sets)
    {
        if (!m_titles.empty())
            throw BadText{};
        TitleSet set;
        set.number = fields.small();
        set.video = readVideo(fields);
        sets.push_back(std::move(set));
        m_audio = &sets.back().audio;
        m_subtitles = &sets.back().subtitles;
        m_set = &sets.back();
    }
    void piece(Fields &fields)
    {
        if (!m_set || m_title)
            throw BadText{};
        Piece piece;
        piece.titleSet = fields.small();
        piece.number = fields.small();
        piece.sizeBytes = fields.count();
        piece.firstSector = fields.sector();
        piece.durationMs = fields.count();
        const std::int64_t titles = fields.number<std::int64_t>(0, 99);
        for (std::int64_t i = 0; i < titles; ++i)
            piece.titles.push_back(fields.small());
        piece.path = fields.text();
        m_set->pieces.push_back(std::move(piece));
    }
    void title(Fields &fields)
    {
        Title title;
        title.number = fields.small();
        title.titleSet = fields.small();
        title.titleInSet = fields.small();
        title.durationMs = fields.count();
        title.angles = fields.small();
        title.video = readVideo(fields);
        title.unreadable = fields.text();
        m_titles.push_back(std::move(title));
        m_title = &m_titles.back();
        m_audio = &m_title->audio;
        m_subtitles = &m_title->subtitles;
    }
    Title &current() const
    {
        if (!m_title)
            throw BadText{};
        return *m_title;
    }

private:
    std::vector<Title> &m_titles;
    TitleSet *m_set = nullptr;
    Title *m_title = nullptr;
    std::vector<AudioStream> *m_audio = nullptr;
    std::vector<SubtitleStream> *m_subtitles = nullptr;
};

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            throw BadText{}; // a cut line
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::string TablesText::write(const OpenResult &opened)
{
    if (opened.disc)
        return write(*opened.disc);
    std::string out(kFormatLine);
    out += '\n';
    {
        Record record(out, "failure");
        record << int(opened.error);
        record.text(opened.message);
    }
    Record(out, "end");
    return out;
}

std::string TablesText::write(const Disc &disc)
{
    const MainTitle &main = disc.mainTitle();
    std::string out(kFormatLine);
    out += '\n';
    Record(out, "disc") << int(disc.m_allTitleSets);
    Record(out, "source").text(disc.m_source);
    Record(out, "open").text(disc.m_openPath);
    Record(out, "identity").text(disc.identity());
    {
        Record record(out, "main");
        record << main.number << int(main.fromNavigation);
        record.text(main.note);
    }
    for (const TitleSet &set : disc.m_titleSets) {
        writeTitleSet(out, set);
        // Where each unit starts, so that reading skips a scratch only to
        // the next unit.
        const auto units = disc.m_unitStarts.find(set.number);
        if (units != disc.m_unitStarts.end() && units->second) {
            Record record(out, "units");
            record << set.number << std::int64_t(units->second->size());
            for (const std::uint32_t start : *units->second)
                record << start;
        }
    }
    for (const Title &title : disc.m_titles)
        writeTitle(out, title);
    Record(out, "end");
    return out;
}

std::optional<OpenResult> TablesText::read(std::string_view text)
{
    try {
        const std::vector<std::string_view> lines = linesOf(text);
        if (lines.size() < 2 || lines.front() != kFormatLine || lines.back() != "end")
            throw BadText{};
        Fields first(lines[1]);
        if (first.keyword == "failure") {
            if (lines.size() != 3)
                throw BadText{};
            OpenResult result;
            result.error = first.kind(OpenError::Cancelled);
            result.message = first.text();
            if (result.error == OpenError::None || result.message.empty())
                throw BadText{};
            return result;
        }

        std::shared_ptr<Disc> disc(new Disc);
        DiscReader reader(disc->m_titles);
        MainTitle main;
        for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
            Fields fields(lines[i]);
            const std::string_view key = fields.keyword;
            if (key == "disc") {
                disc->m_allTitleSets = fields.flag();
            } else if (key == "source") {
                disc->m_source = fields.text();
            } else if (key == "open") {
                disc->m_openPath = fields.text();
            } else if (key == "identity") {
                std::string identity = fields.text();
                std::call_once(disc->m_identityOnce,
                               [&] { disc->m_identity = std::move(identity); });
            } else if (key == "main") {
                main.number = fields.small();
                main.fromNavigation = fields.flag();
                main.note = fields.text();
            } else if (key == "set") {
                reader.set(fields, disc->m_titleSets);
            } else if (key == "piece") {
                reader.piece(fields);
            } else if (key == "units") {
                const int set = fields.small();
                auto starts = std::make_shared<std::vector<std::uint32_t>>(
                    std::size_t(fields.number<std::int64_t>(0, 1 << 22)));
                for (std::uint32_t &start : *starts)
                    start = fields.sector();
                std::sort(starts->begin(), starts->end());
                disc->m_unitStarts[set] = std::move(starts);
            } else if (key == "title") {
                reader.title(fields);
            } else if (key == "audio") {
                reader.audio(fields);
            } else if (key == "subtitle") {
                reader.subtitle(fields);
            } else if (key == "chapter") {
                reader.current().chapters.push_back({fields.count()});
            } else if (key == "palette") {
                for (std::uint32_t &colour : reader.current().palette)
                    colour = fields.sector();
            } else if (key == "sectors") {
                SectorRange range;
                range.firstSector = fields.sector();
                range.lastSector = fields.sector();
                reader.current().sectors.push_back(range);
            } else if (key == "range") {
                ByteRange range;
                range.start = fields.count();
                range.end = fields.count();
                range.path = fields.text();
                reader.current().ranges.push_back(std::move(range));
            } else {
                throw BadText{};
            }
            fields.finish();
        }
        // The main title was found where the tables were read.
        std::call_once(disc->m_mainTitleOnce, [&] { disc->m_mainTitle = std::move(main); });
        return OpenResult{disc, OpenError::None, {}};
    } catch (const BadText &) {
        return std::nullopt;
    }
}

} // namespace dvd
