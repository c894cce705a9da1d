#include "PictureSampler.h"

#include "ChildProcess.h"
#include "Disc.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

const std::vector<std::string> kDetection = {
    "-map", "0:v:0", "-an", "-sn", "-dn", "-vf", "idet,cropdetect=round=2:reset=0",
    "-f",   "null",  "-"};

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(buffer, std::size_t(got));
    }
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

} // namespace

bool PictureSampler::runSample(const std::vector<std::string> &input, int fd,
                               std::vector<SampleFindings> &findings)
{
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-nostats"};
    argv.insert(argv.end(), input.begin(), input.end());
    argv.insert(argv.end(), kDetection.begin(), kDetection.end());

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return true;
    std::string output;
    ChildRelay relay;
    relay.errorFd = pipe[1];
    relay.drain = [&](pid_t) { output = readAll(pipe[0]); };
    const ChildRun run = runForwardingSignals(argv, fd, {}, relay);
    ::close(pipe[0]);
    if (run.result.stopSignal != 0)
        return false;
    if (run.started && run.result.exited && run.result.exitCode == 0)
        findings.push_back(parseSampleOutput(output));
    return true;
}

std::vector<SampleFindings>
PictureSampler::sampleSectors(const dvd::Disc &disc, int titleSet,
                              const std::vector<dvd::SectorRange> &ranges, PictureFlags &flags,
                              bool &stopped)
{
    stopped = false;
    std::vector<SampleFindings> findings;
    const std::unique_ptr<dvd::SectorReader> reader = disc.openSectors(titleSet, ranges);
    if (!reader)
        return findings;
    const std::int64_t total = reader->totalBytes() / dvd::sectorSize;
    const bool whole = total <= kSamples * kSampleSectors;
    const int count = whole ? 1 : kSamples;
    const std::int64_t length = whole ? total : kSampleSectors;
    std::vector<std::uint8_t> buffer;
    for (int i = 0; i < count; ++i) {
        // Centred in each fifth, clear of the title's first and last seconds.
        const std::int64_t start = whole ? 0 : (total - length) * (2 * i + 1) / (2 * count);
        const int fd = ::memfd_create("picture-sample", MFD_CLOEXEC);
        if (fd < 0 || !reader->seek(start)) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        std::int64_t left = length * dvd::sectorSize;
        bool good = true;
        while (left > 0 && good) {
            const std::int64_t got = reader->read(buffer);
            if (got <= 0)
                break;
            const std::size_t used = std::size_t(std::min(got, left));
            countPictureFlags(buffer.data(), used, flags);
            good = writeAll(fd, buffer.data(), used);
            left -= std::int64_t(used);
        }
        stopped = good && !runSample({"-f", "mpeg", "-i", "/dev/fd/3"}, fd, findings);
        ::close(fd);
        if (stopped)
            break;
    }
    return findings;
}

std::vector<SampleFindings> PictureSampler::sampleFile(const std::string &path,
                                                       double durationSeconds, bool &stopped)
{
    std::vector<SampleFindings> findings;
    if (durationSeconds <= kSamples * kSampleSeconds) {
        stopped = !runSample({"-i", path}, -1, findings);
        return findings;
    }
    stopped = false;
    for (int i = 0; i < kSamples; ++i) {
        const double start = (durationSeconds - kSampleSeconds) * (2 * i + 1) / (2 * kSamples);
        char at[32];
        std::snprintf(at, sizeof at, "%.3f", start);
        char length[32];
        std::snprintf(length, sizeof length, "%.3f", kSampleSeconds);
        stopped = !runSample({"-ss", at, "-t", length, "-i", path}, -1, findings);
        if (stopped)
            break;
    }
    return findings;
}
