#include "TitleInput.h"

#include "ChapterMetadata.h"
#include "ConcatList.h"
#include "Disc.h"
#include "LanguageCode.h"
#include "ProbeText.h"
#include "Scrambling.h"
#include "SectorReader.h"
#include "SourceInput.h"
#include "StreamScan.h"
#include "TitleStreams.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

// Descriptors handed to ffmpeg keep clear of 0-2 and of the feed pipe.
constexpr int kFirstDescriptor = 10;
// Bytes read at a time when looking for the streams of a title: whole packs.
constexpr std::int64_t kScanChunk = dvd::sectorSize * 512;

std::string descriptorPath(int fd)
{
    return "/dev/fd/" + std::to_string(fd);
}

// A descriptor of at least kFirstDescriptor that ffmpeg inherits.
int keepForChild(int fd)
{
    if (fd < 0)
        return -1;
    const int moved = ::fcntl(fd, F_DUPFD, kFirstDescriptor);
    ::close(fd);
    return moved;
}

// An anonymous file in memory holding text, or -1.
int memoryFile(const char *name, const std::string &text)
{
    const int fd = keepForChild(::memfd_create(name, 0));
    if (fd < 0)
        return -1;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0) {
            ::close(fd);
            return -1;
        }
        done += std::size_t(written);
    }
    return fd;
}

// The desktop's language, where the default audio track is looked for when
// the job source names none.
std::string desktopLanguage()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return titles::localeLanguage(value);
    }
    return titles::localeLanguage("");
}

// The ids of the streams met in the first `limit` bytes of the title.
std::set<int> streamsNearStart(const TitleInput &input, std::int64_t limit)
{
    std::set<int> ids;
    std::vector<std::uint8_t> buffer;
    std::int64_t done = 0;
    if (input.feed) {
        const std::unique_ptr<dvd::SectorReader> reader =
            input.disc->openTitle(input.title->number);
        for (std::int64_t got = 1; reader && done < limit && got > 0; done += got) {
            got = reader->read(buffer);
            collectStreamIds(buffer.data(), std::size_t(std::max<std::int64_t>(got, 0)), ids);
        }
        return ids;
    }
    for (const dvd::ByteRange &range : input.title->ranges) {
        const int fd = ::open(range.path.c_str(), O_RDONLY | O_CLOEXEC);
        for (std::int64_t at = range.start; fd >= 0 && at < range.end && done < limit;) {
            buffer.resize(std::size_t(std::min<std::int64_t>(range.end - at, kScanChunk)));
            const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
            if (got <= 0)
                break;
            collectStreamIds(buffer.data(), std::size_t(got), ids);
            at += got;
            done += got;
        }
        if (fd >= 0)
            ::close(fd);
    }
    return ids;
}

} // namespace

TitleInput prepareTitleInput(const titles::TitleSource &source, const std::string &target)
{
    TitleInput input;
    const dvd::OpenResult opened = dvd::Disc::open(source.disc);
    if (!opened) {
        input.error = opened.message;
        input.damagedTables = opened.error == dvd::OpenError::Damaged;
        return input;
    }
    input.disc = opened.disc;
    input.title = input.disc->title(source.title);
    if (!input.title) {
        input.error = "the DVD at " + source.disc + " has no title " +
                      std::to_string(source.title) + " (it has " +
                      std::to_string(input.disc->titles().size()) + ")";
        return input;
    }
    if (!input.title->unreadable.empty()) {
        input.error = "title " + std::to_string(source.title) + " of the DVD at " + source.disc +
                      " cannot be read: " + input.title->unreadable;
        input.title = nullptr;
        return input;
    }
    const dvd::Title &title = *input.title;

    // The pieces of a folder or a mounted disc are read where they lie; an
    // image, a device or a scrambled title is read through libdvdread.
    input.feed = !dvd::readsFromFiles(source.disc, title.ranges) || readerForcedByEnvironment();

    std::string url;
    if (input.feed) {
        url = descriptorPath(feedDescriptor);
    } else {
        std::vector<dvd::ByteRange> ranges = title.ranges;
        for (dvd::ByteRange &range : ranges) {
            const int fd = keepForChild(::open(range.path.c_str(), O_RDONLY));
            if (fd < 0) {
                input.error = "cannot open " + range.path;
                return input;
            }
            range.path = descriptorPath(fd);
        }
        const int list = memoryFile("title-list", titles::concatList(ranges));
        if (list < 0) {
            input.error = "cannot hold the list of the title's pieces";
            return input;
        }
        url = "concatf:" + descriptorPath(list);
    }
    input.inputs = {"-f", "mpeg", "-i", url};
    if (target.empty())
        return input;

    const TargetContainer container = targetContainer(target);
    const std::string language = desktopLanguage();
    TitleStreams streams;
    if (mapsSubtitles(title, source.choice, container, language)) {
        // Subtitles are mapped only where ffmpeg's probe will find them.
        const std::set<int> present = streamsNearStart(input, kSubtitleProbeBytes);
        streams = planTitleStreams(title, source.choice, container, language, &present);
        if (streams.overlay.empty() && streams.subtitleTracks == 0)
            input.note = "no subtitle stream of the choice shows within the first " +
                         std::to_string(kSubtitleProbeBytes / 1000000) + " MB of the title";
    } else {
        streams = planTitleStreams(title, source.choice, container, language);
    }
    input.inputs.insert(input.inputs.begin(), streams.inputOptions.begin(),
                        streams.inputOptions.end());
    input.streamOptions = streams.streamOptions;
    input.codecOptions = streams.codecOptions;
    input.overlay = streams.overlay;

    if (container.chapters) {
        std::vector<std::int64_t> starts;
        for (const dvd::Chapter &chapter : title.chapters)
            starts.push_back(chapter.startMs);
        const std::string metadata = titles::chapterMetadata(starts, title.durationMs);
        const int fd = metadata.empty() ? -1 : memoryFile("title-chapters", metadata);
        if (fd >= 0) {
            input.inputs.insert(input.inputs.end(), {"-f", "ffmetadata", "-i", descriptorPath(fd)});
            input.streamOptions.insert(input.streamOptions.end(), {"-map_chapters", "1"});
            input.chapterStartsMs = starts;
        }
    }
    return input;
}

std::string titleProbeText(const std::string &sourceText, const dvd::Title &title)
{
    ProbeStreams streams;
    streams.source = sourceText;
    streams.durationMs = title.durationMs;
    streams.sizeBytes = 0;
    for (const dvd::ByteRange &range : title.ranges)
        streams.sizeBytes += range.end - range.start;
    streams.video = title.video;
    streams.audio = title.audio;
    streams.subtitles = title.subtitles;
    return probeText(streams);
}

SourceInput titleSourceInput(const TitleInput &input)
{
    SourceInput source;
    if (input.title)
        source.lengthMs = input.title->durationMs;
    source.chapterStartsMs = input.chapterStartsMs;
    source.arguments = input.inputs;
    source.arguments.insert(source.arguments.end(), input.streamOptions.begin(),
                            input.streamOptions.end());
    if (!input.feed || !input.disc || !input.title)
        return source;
    std::shared_ptr<dvd::SectorReader> reader = input.disc->openTitle(input.title->number);
    source.note = reader ? "reading the title through libdvdread"
                         : "the title cannot be opened through libdvdread";
    if (!reader)
        return source;
    // The disc stays open as long as the feeder lives: the reader holds it.
    source.feeder = [reader, disc = input.disc](int fd) { return dvd::pumpSectors(*reader, fd); };
    return source;
}
