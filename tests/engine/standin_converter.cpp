// A converter stand-in for engine tests. It takes the two command forms of
// the real converter ("-i SOURCE" and "-y -i SOURCE ARGS... TARGET") and
// behaves as the environment variable VELKO_STANDIN_MODE says:
//   record     append its arguments to $VELKO_STANDIN_LOG (NUL-separated, one
//              record per line), print a probe text, create the target
//   ignore-q   print progress forever, never read standard input
//   ignore-all like ignore-q, and ignore SIGTERM as well; like ffmpeg it
//              ignores SIGPIPE, so a closed pipe does not end it either
//   chatty     print $VELKO_STANDIN_BYTES bytes of warnings, then progress,
//              then create the target
//   badutf8    print a probe text holding bytes that are not UTF-8
//   report     probe: print $VELKO_STANDIN_DURATION as the duration (none:
//              no duration at all); conversion: print one progress report
//              ($VELKO_STANDIN_REPORT), then wait until the file
//              $VELKO_STANDIN_GATE exists or "q" arrives, create the target
// In record and report mode a conversion whose source contains
// $VELKO_STANDIN_FAIL prints an error line and exits 1 without a target.
// Its process id goes to $VELKO_STANDIN_PID when that is set.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

void writeFile(const std::string &path, const std::string &text, const char *mode)
{
    if (path.empty())
        return;
    if (FILE *f = std::fopen(path.c_str(), mode)) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

const char probeText[] = "Input #0, mpeg, from 'x.VOB':\n"
                         "  Duration: 00:01:40.00, start: 0.280633, bitrate: 5372 kb/s\n"
                         "  Stream #0:0[0x1e0]: Video: mpeg2video (Main), yuv420p(tv), "
                         "720x576 [SAR 16:15 DAR 4:3], 25 fps, 25 tbr, 90k tbn\n"
                         "  Stream #0:1[0x80]: Audio: ac3, 48000 Hz, stereo, fltp, 192 kb/s\n"
                         "At least one output file must be specified\n";

void progressForever()
{
    for (int second = 1;; ++second) {
        std::printf("frame=%5d fps=25 q=2.0 size=%8dkB time=00:00:%02d.00 bitrate=1.0kbits/s "
                    "speed=1x\r",
                    second * 25, second * 100, second % 60);
        std::fflush(stdout);
        usleep(100 * 1000);
    }
}

bool failsHere(const std::string &source)
{
    const std::string marker = env("VELKO_STANDIN_FAIL");
    if (marker.empty() || source.find(marker) == std::string::npos)
        return false;
    std::printf("frame=   10 fps=5.0 q=2.0 size=10kB time=00:00:01.00 bitrate=1.0kbits/s\r");
    std::printf("[out @ 0x1] Error writing to the output of %s\n", source.c_str());
    std::printf("Conversion failed on purpose\n");
    return true;
}

int report(bool convert, const std::string &target)
{
    if (!convert) {
        const std::string duration = env("VELKO_STANDIN_DURATION");
        if (duration != "none")
            std::printf("  Duration: %s, start: 0.28, bitrate: 5372 kb/s\n",
                        duration.empty() ? "00:01:40.00" : duration.c_str());
        std::printf("  Stream #0:0[0x1e0]: Video: mpeg2video (Main), yuv420p(tv)\n");
        return 1;
    }
    std::printf("%s\r", env("VELKO_STANDIN_REPORT").c_str());
    std::fflush(stdout);
    const std::string gate = env("VELKO_STANDIN_GATE");
    struct stat info {
    };
    for (;;) {
        if (!gate.empty() && ::stat(gate.c_str(), &info) == 0)
            break;
        pollfd input{0, POLLIN, 0};
        char c = 0;
        if (::poll(&input, 1, 50) > 0 && ::read(0, &c, 1) == 1 && c == 'q')
            break;
    }
    writeFile(target, "converted", "w");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = env("VELKO_STANDIN_MODE");
    writeFile(env("VELKO_STANDIN_PID"), std::to_string(getpid()), "w");
    const bool convert = argc > 2 && std::strcmp(argv[1], "-y") == 0;
    const std::string target = convert ? argv[argc - 1] : "";
    const std::string source = argc > 3 ? argv[3] : "";
    if (convert && (mode == "record" || mode == "report") && failsHere(source))
        return 1;
    if (mode == "report")
        return report(convert, target);

    if (mode == "record") {
        std::string record;
        for (int i = 1; i < argc; ++i) {
            record += argv[i];
            record += '\0';
        }
        record += '\n';
        writeFile(env("VELKO_STANDIN_LOG"), record, "a");
        if (!convert) {
            std::fputs(probeText, stdout);
            return 1;
        }
        std::printf("frame=   50 fps=25 q=2.0 size=100kB time=00:00:50.00 bitrate=1.0kbits/s\r");
        writeFile(target, "converted", "w");
        return 0;
    }
    if (mode == "ignore-q" || mode == "ignore-all") {
        if (mode == "ignore-all") {
            std::signal(SIGTERM, SIG_IGN);
            std::signal(SIGPIPE, SIG_IGN);
        }
        if (!convert) {
            std::fputs(probeText, stdout);
            return 1;
        }
        progressForever();
    }
    if (mode == "chatty") {
        if (!convert) {
            std::fputs(probeText, stdout);
            return 1;
        }
        const long total = std::atol(env("VELKO_STANDIN_BYTES").c_str());
        const char warning[] = "[mpeg2video @ 0x55] ac-tex damaged at 12 30\n";
        for (long written = 0; written < total; written += long(sizeof warning) - 1)
            std::fputs(warning, stdout);
        std::printf("frame= 2500 fps=25 q=2.0 size=100kB time=00:01:15.00 bitrate=1.0kbits/s\r");
        std::fflush(stdout);
        writeFile(target, "converted", "w");
        return 0;
    }
    if (mode == "badutf8") {
        std::fputs("  Duration: 00:00:09.00, start: 0.2\n  Stream #0:0: Video: \xff\xfe"
                   "mpeg2video\xc3\n",
                   stdout);
        return 1;
    }
    std::fputs("standin: unknown mode\n", stderr);
    return 2;
}
