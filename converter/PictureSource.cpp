#include "PictureSource.h"

#include "ChildProcess.h"
#include "Disc.h"
#include "PictureSampler.h"
#include "PieceLookup.h"
#include "TitleSource.h"

#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

struct FileFacts {
    SourcePicture picture;
    double duration = 0;
    bool mpeg2 = false; // MPEG-2 video, whose picture headers carry the flags
};

// The picture flags of the first sample's worth of an MPEG-2 file.
PictureFlags leadingFlags(const std::string &path)
{
    PictureFlags flags;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return flags;
    std::vector<std::uint8_t> buffer(std::size_t(PictureSampler::kSampleSectors * dvd::sectorSize));
    std::size_t have = 0;
    ssize_t got;
    while (have < buffer.size() &&
           (got = ::read(fd, buffer.data() + have, buffer.size() - have)) > 0)
        have += std::size_t(got);
    ::close(fd);
    countPictureFlags(buffer.data(), have, flags);
    return flags;
}

Ratio standardRate(dvd::VideoStandard standard)
{
    return standard == dvd::VideoStandard::Ntsc ? Ratio(30000, 1001) : Ratio(25, 1);
}

SourcePicture tablePicture(const dvd::VideoInfo &video)
{
    SourcePicture picture;
    picture.width = video.width;
    picture.height = video.height;
    picture.aspect = Ratio(video.aspectNum, video.aspectDen);
    picture.rate = standardRate(video.standard);
    return picture;
}

// What ffprobe says of a file's first video stream, written to an
// anonymous file so that nothing of it mixes with the launcher's output.
FileFacts probeFile(const std::string &path)
{
    FileFacts facts;
    const int fd = ::memfd_create("picture-probe", MFD_CLOEXEC);
    if (fd < 0)
        return facts;
    const ChildRun run = runForwardingSignals(
        {"ffprobe", "-v", "quiet", "-select_streams", "v:0", "-show_entries",
         "stream=codec_name,width,height,sample_aspect_ratio,display_aspect_ratio,r_frame_rate:"
         "format=duration",
         "-of", "default=noprint_wrappers=1", "-o", "/dev/fd/3", path},
        fd);
    std::string text;
    char buffer[1024];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(fd, buffer, sizeof buffer, at)) > 0; at += got)
        text.append(buffer, std::size_t(got));
    ::close(fd);
    if (!run.started || !run.result.exited || run.result.exitCode != 0)
        return facts;

    std::istringstream lines(text);
    std::string line;
    Ratio sampleAspect;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "width")
            facts.picture.width = std::atoi(value.c_str());
        else if (key == "height")
            facts.picture.height = std::atoi(value.c_str());
        else if (key == "display_aspect_ratio")
            facts.picture.aspect = Ratio::parse(value).value_or(Ratio());
        else if (key == "sample_aspect_ratio")
            sampleAspect = Ratio::parse(value).value_or(Ratio());
        else if (key == "r_frame_rate")
            facts.picture.rate = Ratio::parse(value).value_or(Ratio());
        else if (key == "duration")
            facts.duration = std::atof(value.c_str());
        else if (key == "codec_name")
            facts.mpeg2 = value == "mpeg2video";
    }
    // Without an aspect of its own a stream has square pixels.
    if (!facts.picture.aspect.known() && facts.picture.width > 0 && facts.picture.height > 0)
        facts.picture.aspect = Ratio(facts.picture.width, facts.picture.height) *
                               (sampleAspect.known() ? sampleAspect : Ratio(1, 1));
    return facts;
}

PictureAnalysis finished(PictureAnalysis analysis, const std::vector<SampleFindings> &samples,
                         bool stopped)
{
    analysis.complete = !stopped && !samples.empty();
    return analysis;
}

std::string identityOf(const dvd::Disc &disc, const std::string &fallback)
{
    const std::string identity = disc.identity();
    return identity.empty() ? "at " + fallback : identity;
}

} // namespace

PictureSource PictureSource::ofTitle(const std::shared_ptr<dvd::Disc> &disc,
                                     const dvd::Title &title, std::string identity)
{
    PictureSource source;
    source.picture = tablePicture(title.video);
    if (identity.empty())
        identity = identityOf(*disc, disc->source());
    source.cacheKey = PictureCache::titleKey(identity, title.number);
    const Ratio rate = source.picture.rate;
    const int width = source.picture.width;
    const int height = source.picture.height;
    source.analyse = [disc, set = title.titleSet, ranges = title.sectors, rate, width, height] {
        PictureFlags flags;
        bool stopped = false;
        const auto samples = PictureSampler::sampleSectors(*disc, set, ranges, flags, stopped);
        return finished(analysePicture(samples, flags, rate, width, height), samples, stopped);
    };
    return source;
}

PictureSource PictureSource::ofSource(const std::string &text)
{
    PictureSource source;
    if (const auto title = titles::parseTitleSource(text)) {
        const dvd::OpenResult opened = dvd::Disc::open(title->disc);
        const dvd::Title *found = opened ? opened.disc->title(title->title) : nullptr;
        if (!found) {
            source.error =
                opened ? "the DVD has no title " + std::to_string(title->title) : opened.message;
            return source;
        }
        return ofTitle(opened.disc, *found);
    }
    source.cacheKey = PictureCache::fileKey(text).value_or("");
    if (source.cacheKey.empty()) {
        source.error = "cannot read " + text;
        return source;
    }
    if (dvd::isTitleFileName(text)) {
        const std::optional<dvd::PieceInfo> info = dvd::lookUpPiece(text);
        const std::uint32_t sectors =
            info ? std::uint32_t(info->piece.sizeBytes / dvd::sectorSize) : 0;
        if (sectors > 0) {
            source.picture = tablePicture(info->video);
            const dvd::Piece piece = info->piece;
            const Ratio rate = source.picture.rate;
            const int width = source.picture.width;
            const int height = source.picture.height;
            source.analyse = [disc = info->disc, piece, sectors, rate, width, height] {
                PictureFlags flags;
                const std::vector<dvd::SectorRange> ranges = {
                    {piece.firstSector, piece.firstSector + sectors - 1}};
                bool stopped = false;
                const auto samples =
                    PictureSampler::sampleSectors(*disc, piece.titleSet, ranges, flags, stopped);
                return finished(analysePicture(samples, flags, rate, width, height), samples,
                                stopped);
            };
            return source;
        }
    }
    // Any other file: its frame is measured with the rest and kept with it,
    // so that a file found in the cache needs no probe.
    source.analyse = [text] {
        const FileFacts facts = probeFile(text);
        if (!facts.picture.known()) {
            PictureAnalysis none;
            none.details = "ffprobe finds no picture in " + text;
            return none;
        }
        bool stopped = false;
        const auto samples = PictureSampler::sampleFile(text, facts.duration, stopped);
        const PictureFlags flags = facts.mpeg2 ? leadingFlags(text) : PictureFlags();
        PictureAnalysis analysis =
            finished(analysePicture(samples, flags, facts.picture.rate, facts.picture.width,
                                    facts.picture.height),
                     samples, stopped);
        analysis.frame = facts.picture;
        return analysis;
    };
    return source;
}

SourcePicture PictureSource::complete(const PictureCache &cache, bool analyseWhenUnknown,
                                      Found &found, std::string &details) const
{
    SourcePicture result = picture;
    found = Found::Unknown;
    std::optional<PictureAnalysis> analysis;
    if (!cacheKey.empty())
        analysis = cache.find(cacheKey);
    if (analysis) {
        found = Found::Cached;
    } else if (analyseWhenUnknown && analyse) {
        analysis = analyse();
        found = Found::Analysed;
        if (!cacheKey.empty() && analysis->complete)
            cache.store(cacheKey, *analysis);
    }
    if (analysis) {
        if (!result.known())
            result = analysis->frame;
        result.scan = analysis->scan;
        result.bars = analysis->bars;
        result.pulldownFlags = analysis->pulldownFlags;
        details = analysis->details;
    }
    return result;
}
