#include "ChapterCut.h"

#include "ChapterMetadata.h"
#include "ChildProcess.h"

#include <sys/mman.h>
#include <unistd.h>

bool copyWithChaptersCut(const std::string &file, const std::string &copy,
                         const std::vector<std::int64_t> &chapterStartsMs, std::int64_t reachedMs)
{
    const std::string metadata = titles::chapterMetadata(chapterStartsMs, reachedMs);
    const int fd = ::memfd_create("cut-chapters", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < metadata.size()) {
        const ssize_t written = ::write(fd, metadata.data() + done, metadata.size() - done);
        if (written <= 0) {
            ::close(fd);
            return false;
        }
        done += std::size_t(written);
    }
    ::lseek(fd, 0, SEEK_SET);
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel",
                                     "error",  "-y",           "-i",       file};
    // With no chapter left the copy has none.
    if (!metadata.empty())
        argv.insert(argv.end(), {"-f", "ffmetadata", "-i", "/dev/fd/3"});
    // Picture, sound and subtitles; an MP4 file's chapter track shows as a
    // data stream, which would bring the old chapters' length along.
    argv.insert(argv.end(), {"-map", "0:v?", "-map", "0:a?", "-map", "0:s?", "-map_chapters",
                             metadata.empty() ? "-1" : "1", "-c", "copy", copy});
    const ChildRun run = runForwardingSignals(argv, fd);
    ::close(fd);
    return run.started && run.result.exited && run.result.exitCode == 0;
}
