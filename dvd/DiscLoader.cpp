#include "DiscLoader.h"

#include "Disc.h"
#include "Log.h"
#include "TableTime.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/nav_read.h>

namespace dvd
{

namespace
{

namespace fs = std::filesystem;

using IfoPtr = std::unique_ptr<ifo_handle_t, void (*)(ifo_handle_t *)>;

IfoPtr openIfo(dvd_reader_t *reader, int titleSet)
{
    return IfoPtr(ifoOpen(reader, titleSet), ifoClose);
}

void logFromLibrary(void *, dvd_logger_level_t level, const char *format, va_list args)
{
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    std::size_t length = std::strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
    LogLevel ours = LogLevel::Debug;
    switch (level) {
    case DVD_LOGGER_LEVEL_ERROR:
        ours = LogLevel::Error;
        break;
    case DVD_LOGGER_LEVEL_WARN:
        ours = LogLevel::Warning;
        break;
    case DVD_LOGGER_LEVEL_INFO:
        ours = LogLevel::Info;
        break;
    default:
        break;
    }
    log(ours, std::string("libdvdread: ") + line);
}

const dvd_logger_cb libraryLogger = {logFromLibrary};

TableTime toTableTime(const dvd_time_t &time)
{
    return TableTime{time.hour, time.minute, time.second, time.frame_u};
}

bool equalsIgnoringCase(const std::string &a, const char *b)
{
    const std::size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

// The entry of folder whose name equals name but for letter case, or an
// empty path.
fs::path findEntry(const fs::path &folder, const char *name)
{
    std::error_code error;
    const fs::path exact = folder / name;
    if (fs::exists(exact, error))
        return exact;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (equalsIgnoringCase(it->path().filename().string(), name))
            return it->path();
    }
    return {};
}

bool holdsTables(const fs::path &folder)
{
    return !findEntry(folder, "VIDEO_TS.IFO").empty() || !findEntry(folder, "VIDEO_TS.BUP").empty();
}

// Of a folder source: the folder holding the DVD's files (the folder itself
// or its VIDEO_TS), empty when neither holds VIDEO_TS.IFO or its copy.
fs::path findVideoFolder(const fs::path &folder)
{
    if (holdsTables(folder))
        return folder;
    const fs::path sub = findEntry(folder, "VIDEO_TS");
    std::error_code error;
    if (!sub.empty() && fs::is_directory(sub, error) && holdsTables(sub))
        return sub;
    return {};
}

std::string languageOf(std::uint16_t code)
{
    const char first = char(code >> 8);
    const char second = char(code & 0xff);
    if (first < 'a' || first > 'z' || second < 'a' || second > 'z')
        return {};
    return std::string{first, second};
}

VideoInfo videoFrom(const video_attr_t &attr)
{
    VideoInfo video;
    video.standard = attr.video_format == 1 ? VideoStandard::Pal : VideoStandard::Ntsc;
    video.mpeg1 = attr.mpeg_version == 0;
    video.height = video.standard == VideoStandard::Pal ? 576 : 480;
    static const int widths[] = {720, 704, 352, 352};
    video.width = widths[attr.picture_size & 3];
    if (attr.picture_size == 3)
        video.height /= 2;
    if (attr.display_aspect_ratio == 3) {
        video.aspectNum = 16;
        video.aspectDen = 9;
    }
    return video;
}

AudioStream audioFrom(const audio_attr_t &attr, int substream)
{
    AudioStream audio;
    if (attr.lang_type == 1)
        audio.language = languageOf(attr.lang_code);
    audio.channels = attr.channels + 1;
    audio.sampleRate = attr.sample_frequency == 1 ? 96000 : 48000;
    switch (attr.audio_format) {
    case 0:
        audio.codec = AudioCodec::Ac3;
        audio.streamId = 0x80 + substream;
        break;
    case 2:
        audio.codec = AudioCodec::Mpeg1;
        audio.streamId = 0x1c0 + substream;
        break;
    case 3:
        audio.codec = AudioCodec::Mpeg2;
        audio.streamId = 0x1c0 + substream;
        break;
    case 4:
        audio.codec = AudioCodec::Lpcm;
        audio.streamId = 0xa0 + substream;
        break;
    case 6:
        audio.codec = AudioCodec::Dts;
        audio.streamId = 0x88 + substream;
        break;
    default:
        audio.codec = AudioCodec::Unknown;
        audio.streamId = 0x80 + substream;
        break;
    }
    return audio;
}

// One cell of a program chain that plays on the first angle.
struct Cell {
    std::uint32_t firstSector = 0;
    std::uint32_t lastSector = 0;
    std::int64_t durationMs = 0;
};

bool playsOnFirstAngle(const cell_playback_t &cell)
{
    return cell.block_type != BLOCK_TYPE_ANGLE_BLOCK || cell.block_mode == BLOCK_MODE_FIRST_CELL;
}

// The cells of a chain in play order; with the index of every cell of the
// chain (1-based cell number - 1) into that list, -1 for other angles.
std::vector<Cell> cellsOf(const pgc_t &pgc, std::vector<int> *indexOfCell = nullptr)
{
    std::vector<Cell> cells;
    if (!pgc.cell_playback)
        return cells;
    for (int i = 0; i < pgc.nr_of_cells; ++i) {
        const cell_playback_t &playback = pgc.cell_playback[i];
        if (indexOfCell)
            indexOfCell->push_back(playsOnFirstAngle(playback) ? int(cells.size()) : -1);
        if (!playsOnFirstAngle(playback) || playback.last_sector < playback.first_sector)
            continue;
        cells.push_back({playback.first_sector, playback.last_sector,
                         tableTimeMs(toTableTime(playback.playback_time))});
    }
    return cells;
}

void appendRange(std::vector<SectorRange> &ranges, std::uint32_t first, std::uint32_t last)
{
    if (!ranges.empty() && ranges.back().lastSector + 1 == first)
        ranges.back().lastSector = last;
    else
        ranges.push_back({first, last});
}

class TitleSetReader
{
public:
    TitleSetReader(dvd_reader_t *reader, int number, ifo_handle_t *ifo, const fs::path &videoFolder)
        : m_reader(reader), m_number(number), m_ifo(ifo), m_videoFolder(videoFolder)
    {
    }

    TitleSet read()
    {
        TitleSet set;
        set.number = m_number;
        const vtsi_mat_t &mat = *m_ifo->vtsi_mat;
        set.video = videoFrom(mat.vts_video_attr);
        const pgc_t *firstChain = chain(1);
        for (int i = 0; i < std::min<int>(mat.nr_of_vts_audio_streams, 8); ++i) {
            int substream = i;
            if (firstChain && (firstChain->audio_control[i] & 0x8000))
                substream = (firstChain->audio_control[i] >> 8) & 7;
            set.audio.push_back(audioFrom(mat.vts_audio_attr[i], substream));
        }
        for (int i = 0; i < std::min<int>(mat.nr_of_vts_subp_streams, 32); ++i) {
            const subp_attr_t &attr = mat.vts_subp_attr[i];
            set.subtitleLanguages.push_back(attr.type == 1 ? languageOf(attr.lang_code) : "");
        }
        readPieces(set);
        return set;
    }

    // The chain with number n (from 1), or nullptr.
    const pgc_t *chain(int n) const
    {
        const pgcit_t *table = m_ifo->vts_pgcit;
        if (!table || n < 1 || n > table->nr_of_pgci_srp)
            return nullptr;
        return table->pgci_srp[n - 1].pgc;
    }

    // Fills a title's duration, chapters and sectors from the chains of
    // its parts.
    void readTitle(Title &title) const
    {
        const vts_ptt_srpt_t *parts = m_ifo->vts_ptt_srpt;
        if (!parts || title.titleInSet < 1 || title.titleInSet > parts->nr_of_srpts)
            return;
        const ttu_t &unit = parts->title[title.titleInSet - 1];
        std::vector<int> chains; // in the order the parts first name them
        std::map<int, std::int64_t> chainStart;
        std::int64_t total = 0;
        for (int p = 0; p < unit.nr_of_ptts; ++p) {
            const int n = unit.ptt[p].pgcn;
            const pgc_t *pgc = chain(n);
            if (!pgc || chainStart.count(n))
                continue;
            chainStart[n] = total;
            chains.push_back(n);
            for (const Cell &cell : cellsOf(*pgc)) {
                appendRange(title.sectors, cell.firstSector, cell.lastSector);
                total += cell.durationMs;
            }
        }
        title.durationMs = total;
        for (int p = 0; p < unit.nr_of_ptts; ++p) {
            const pgc_t *pgc = chain(unit.ptt[p].pgcn);
            const int program = unit.ptt[p].pgn;
            if (!pgc || !pgc->program_map || program < 1 || program > pgc->nr_of_programs)
                continue;
            std::vector<int> indexOfCell;
            const std::vector<Cell> cells = cellsOf(*pgc, &indexOfCell);
            const int firstCell = pgc->program_map[program - 1] - 1;
            std::int64_t start = chainStart[unit.ptt[p].pgcn];
            for (int c = 0; c < firstCell && c < int(indexOfCell.size()); ++c) {
                if (indexOfCell[c] >= 0)
                    start += cells[indexOfCell[c]].durationMs;
            }
            title.chapters.push_back({start});
        }
    }

private:
    void readPieces(TitleSet &set)
    {
        dvd_stat_t stat{};
        if (DVDFileStat(m_reader, m_number, DVD_READ_TITLE_VOBS, &stat) != 0) {
            log(LogLevel::Warning,
                "title set " + std::to_string(m_number) + ": its title files cannot be found");
            return;
        }
        std::uint32_t sector = 0;
        for (int k = 0; k < stat.nr_parts && k < 9; ++k) {
            Piece piece;
            piece.titleSet = m_number;
            piece.number = k + 1;
            piece.sizeBytes = stat.parts_size[k];
            piece.firstSector = sector;
            if (!m_videoFolder.empty()) {
                char name[16];
                std::snprintf(name, sizeof name, "VTS_%02d_%d.VOB", m_number, k + 1);
                const fs::path found = findEntry(m_videoFolder, name);
                piece.path = found.empty() ? (m_videoFolder / name).string() : found.string();
            }
            sector += std::uint32_t(piece.sizeBytes / sectorSize);
            set.pieces.push_back(std::move(piece));
        }
        splitCellsOverPieces(set);
    }

    // Every cell of the set once (first angle), split over the pieces its
    // sectors lie in.
    void splitCellsOverPieces(TitleSet &set)
    {
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::int64_t> cells;
        const pgcit_t *table = m_ifo->vts_pgcit;
        for (int n = 1; table && n <= table->nr_of_pgci_srp; ++n) {
            if (const pgc_t *pgc = chain(n)) {
                for (const Cell &cell : cellsOf(*pgc))
                    cells.emplace(std::make_pair(cell.firstSector, cell.lastSector),
                                  cell.durationMs);
            }
        }
        dvd_file_t *vobs = nullptr;
        for (const auto &[range, duration] : cells) {
            std::int64_t done = 0; // elapsed time of the cell at the previous boundary
            for (Piece &piece : set.pieces) {
                const std::uint32_t begin = piece.firstSector;
                const std::uint32_t end = begin + std::uint32_t(piece.sizeBytes / sectorSize);
                if (range.second < begin || range.first >= end)
                    continue;
                std::int64_t upTo = duration;
                if (range.second >= end) {
                    if (!vobs)
                        vobs = DVDOpenFile(m_reader, m_number, DVD_READ_TITLE_VOBS);
                    upTo = std::clamp(elapsedAt(vobs, end), done, duration);
                }
                piece.durationMs += upTo - done;
                done = upTo;
            }
        }
        if (vobs)
            DVDCloseFile(vobs);
    }

    // The elapsed cell time at sector: that of the unit (VOBU) holding it,
    // from the unit's navigation pack.
    std::int64_t elapsedAt(dvd_file_t *vobs, std::uint32_t sector) const
    {
        const vobu_admap_t *map = m_ifo->vts_vobu_admap;
        if (!vobs || !map || !map->vobu_start_sectors)
            return 0;
        const std::size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
        const std::uint32_t *starts = map->vobu_start_sectors;
        const std::uint32_t *after = std::upper_bound(starts, starts + count, sector);
        if (after == starts)
            return 0;
        unsigned char pack[DVD_VIDEO_LB_LEN];
        if (DVDReadBlocks(vobs, int(after[-1]), 1, pack) != 1) {
            log(LogLevel::Warning, "cannot read the navigation pack at sector " +
                                       std::to_string(after[-1]) + " of title set " +
                                       std::to_string(m_number));
            return 0;
        }
        dsi_t dsi;
        navRead_DSI(&dsi, pack + DSI_START_BYTE);
        return tableTimeMs(toTableTime(dsi.dsi_gi.c_eltm));
    }

    dvd_reader_t *m_reader;
    int m_number;
    ifo_handle_t *m_ifo;
    fs::path m_videoFolder;
};

void mapTitleToPieces(Title &title, TitleSet &set)
{
    for (const SectorRange &range : title.sectors) {
        for (Piece &piece : set.pieces) {
            const std::int64_t begin = piece.firstSector;
            const std::int64_t end = begin + piece.sizeBytes / sectorSize;
            const std::int64_t first = std::max<std::int64_t>(range.firstSector, begin);
            const std::int64_t last = std::min<std::int64_t>(range.lastSector, end - 1);
            if (first > last)
                continue;
            title.ranges.push_back(
                {piece.path, (first - begin) * sectorSize, (last + 1 - begin) * sectorSize});
            if (std::find(piece.titles.begin(), piece.titles.end(), title.number) ==
                piece.titles.end())
                piece.titles.push_back(title.number);
        }
    }
}

OpenResult failure(OpenError error, std::string message)
{
    log(LogLevel::Warning, message);
    OpenResult result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

} // namespace

OpenResult DiscLoader::load(const std::string &source, const OpenOptions &options)
{
    std::error_code error;
    const fs::file_status status = fs::status(source, error);
    if (error || !fs::exists(status))
        return failure(OpenError::NotFound, "No such file or folder: " + source);

    fs::path videoFolder;
    std::string openPath = source;
    if (fs::is_directory(status)) {
        videoFolder = findVideoFolder(source);
        if (videoFolder.empty())
            return failure(OpenError::NoTables,
                           "No DVD-Video tables (VIDEO_TS.IFO or VIDEO_TS.BUP) in " + source);
        openPath = videoFolder.string();
    }

    std::shared_ptr<dvd_reader_t> reader(DVDOpen2(nullptr, &libraryLogger, openPath.c_str()),
                                         [](dvd_reader_t *r) {
                                             if (r)
                                                 DVDClose(r);
                                         });
    if (!reader)
        return failure(OpenError::Unreadable, "The DVD at " + source + " cannot be read");

    IfoPtr manager = openIfo(reader.get(), 0);
    if (!manager || !manager->tt_srpt || !manager->vmgi_mat) {
        if (videoFolder.empty())
            return failure(OpenError::NoTables, source + " holds no readable DVD-Video tables");
        return failure(OpenError::Damaged, "The DVD tables VIDEO_TS.IFO and VIDEO_TS.BUP in " +
                                               videoFolder.string() + " are damaged");
    }

    std::shared_ptr<Disc> disc(new Disc);
    disc->m_source = source;
    disc->m_reader = reader;

    std::map<int, IfoPtr> setTables;
    const int setCount = manager->vmgi_mat->vmg_nr_of_title_sets;
    for (int n = 1; n <= setCount && n <= 99; ++n) {
        if (options.onlyTitleSet != 0 && n != options.onlyTitleSet)
            continue;
        IfoPtr ifo = openIfo(reader.get(), n);
        if (!ifo || !ifo->vtsi_mat) {
            log(LogLevel::Warning, "the tables of title set " + std::to_string(n) +
                                       " (and their copy) are damaged; its titles are left out");
            continue;
        }
        TitleSetReader setReader(reader.get(), n, ifo.get(), videoFolder);
        disc->m_titleSets.push_back(setReader.read());
        setTables.emplace(n, std::move(ifo));
    }
    if (disc->m_titleSets.empty() && setCount > 0 &&
        (options.onlyTitleSet == 0 || options.onlyTitleSet <= setCount))
        return failure(OpenError::Damaged,
                       "The title set tables of the DVD at " + source + " are all damaged");

    const tt_srpt_t &titles = *manager->tt_srpt;
    for (int i = 0; i < titles.nr_of_srpts; ++i) {
        const title_info_t &info = titles.title[i];
        const auto tables = setTables.find(info.title_set_nr);
        if (tables == setTables.end())
            continue;
        TitleSet &set =
            *std::find_if(disc->m_titleSets.begin(), disc->m_titleSets.end(),
                          [&](const TitleSet &s) { return s.number == info.title_set_nr; });
        Title title;
        title.number = i + 1;
        title.titleSet = info.title_set_nr;
        title.titleInSet = info.vts_ttn;
        title.angles = std::max<int>(1, info.nr_of_angles);
        title.video = set.video;
        title.audio = set.audio;
        title.subtitleLanguages = set.subtitleLanguages;
        TitleSetReader(reader.get(), set.number, tables->second.get(), videoFolder)
            .readTitle(title);
        mapTitleToPieces(title, set);
        disc->m_titles.push_back(std::move(title));
    }
    return OpenResult{disc, OpenError::None, {}};
}

} // namespace dvd
