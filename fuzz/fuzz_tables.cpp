// Fuzzes the reading of a DVD's tables. The first byte of an input chooses
// what the rest is:
//   0  a tables text: what TablesText::read takes must be written and read
//      back unchanged;
//   1  VIDEO_TS.IFO, 2  VTS_01_0.IFO of the disc in VELKO_FUZZ_DISC (a
//      VIDEO_TS folder), the other files linked: the tables are read in a
//      forked child, as the program has the launcher read them, and its
//      text must read back. The child's crash or hang is what the program
//      survives (it counts as a damaged disc there), so it is no finding
//      here; the child is ended after a few seconds.
#include "Disc.h"
#include "TablesText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sanitizer/common_interface_defs.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

constexpr unsigned kChildSeconds = 5;

fs::path &discFolder()
{
    static fs::path folder;
    return folder;
}

// What a text that was read writes, read and written again, must not change.
void checkRoundTrip(const dvd::OpenResult &read)
{
    const std::string text = dvd::TablesText::write(read);
    const std::optional<dvd::OpenResult> again = dvd::TablesText::read(text);
    if (!again || dvd::TablesText::write(*again) != text)
        __builtin_trap();
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            text.append(buffer, std::size_t(got));
        else if (errno != EINTR)
            break;
    }
    return text;
}

void fuzzTables(const char *name, const std::uint8_t *data, std::size_t size)
{
    if (discFolder().empty())
        return;
    const fs::path file = discFolder() / name;
    if (FILE *out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child dies as the launcher would, without the fuzzer's report.
        __sanitizer_set_death_callback(+[] { ::_exit(77); });
        for (const int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
            ::signal(sig, SIG_DFL);
        ::alarm(kChildSeconds);
        ::close(pipeEnds[0]);
        const std::string text = dvd::TablesText::write(dvd::Disc::open(discFolder().string()));
        const bool written = ::write(pipeEnds[1], text.data(), text.size()) == ssize_t(text.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    const std::string text = pid > 0 ? readAll(pipeEnds[0]) : std::string();
    ::close(pipeEnds[0]);
    int status = 0;
    if (pid > 0)
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    if (pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        const std::optional<dvd::OpenResult> read = dvd::TablesText::read(text);
        if (!read)
            __builtin_trap(); // the writer made what the reader refuses
        checkRoundTrip(*read);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *disc = std::getenv("VELKO_FUZZ_DISC");
    if (!disc)
        return 0;
    // A private copy of the disc: its files linked, the fuzzed ones written.
    char pattern[] = "/tmp/velko-fuzz-XXXXXX";
    if (!::mkdtemp(pattern))
        return 0;
    const fs::path folder = fs::path(pattern) / "VIDEO_TS";
    std::error_code error;
    fs::create_directory(folder, error);
    for (const fs::directory_entry &entry : fs::directory_iterator(disc, error))
        fs::create_symlink(fs::absolute(entry.path()), folder / entry.path().filename(), error);
    for (const char *name : {"VIDEO_TS.IFO", "VTS_01_0.IFO"}) {
        fs::remove(folder / name, error);
        fs::copy_file(fs::path(disc) / name, folder / name, error);
    }
    // The copies stay away: the fuzzed tables are what is read.
    fs::remove(folder / "VIDEO_TS.BUP", error);
    fs::remove(folder / "VTS_01_0.BUP", error);
    discFolder() = folder;
    // The copy goes when the run ends.
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(discFolder().parent_path(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t *rest = data + 1;
    const std::size_t length = size - 1;
    switch (data[0] % 3) {
    case 0:
        if (const std::optional<dvd::OpenResult> read = dvd::TablesText::read(
                std::string_view(reinterpret_cast<const char *>(rest), length)))
            checkRoundTrip(*read);
        break;
    case 1:
        fuzzTables("VIDEO_TS.IFO", rest, length);
        break;
    default:
        fuzzTables("VTS_01_0.IFO", rest, length);
        break;
    }
    return 0;
}
