#include "Scrambling.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace dvd
{

namespace
{

constexpr int packSize = int(sectorSize);
constexpr int scramblingByte = 0x14;
constexpr std::uint8_t scramblingBits = 0x30;

} // namespace

bool isScrambledPack(const std::uint8_t *pack)
{
    return (pack[scramblingByte] & scramblingBits) != 0;
}

ScrambleState checkTitleFile(const std::string &path, int packs)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == EIO ? ScrambleState::Scrambled : ScrambleState::Unreadable;
    std::vector<std::uint8_t> pack(packSize);
    ScrambleState state = ScrambleState::Clear;
    for (int i = 0; i < packs; ++i) {
        ssize_t got;
        do {
            got = ::pread(fd, pack.data(), packSize, off_t(i) * packSize);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            state = errno == EIO ? ScrambleState::Scrambled : ScrambleState::Unreadable;
            break;
        }
        if (got < packSize) {
            if (i == 0)
                state = ScrambleState::Unreadable;
            break;
        }
        if (isScrambledPack(pack.data())) {
            state = ScrambleState::Scrambled;
            break;
        }
    }
    ::close(fd);
    return state;
}

bool readsFromFiles(const std::string &disc, const std::vector<ByteRange> &ranges)
{
    std::error_code error;
    if (!std::filesystem::is_directory(disc, error) || ranges.empty())
        return false;
    for (const ByteRange &range : ranges) {
        const int fd = ::open(range.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        std::uint8_t pack[packSize];
        ssize_t got;
        do {
            got = ::pread(fd, pack, sizeof pack, range.start);
        } while (got < 0 && errno == EINTR);
        ::close(fd);
        if (got != ssize_t(sizeof pack) || isScrambledPack(pack))
            return false;
    }
    return true;
}

bool decryptionAvailable()
{
    void *library = ::dlopen("libdvdcss.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return false;
    ::dlclose(library);
    return true;
}

ScrambleReport checkTitleFiles(const std::vector<std::string> &paths)
{
    ScrambleReport report;
    for (const std::string &path : paths) {
        if (checkTitleFile(path) == ScrambleState::Scrambled)
            report.scrambled.push_back(path);
    }
    if (!report.scrambled.empty())
        report.decryption = decryptionAvailable();
    return report;
}

std::string encryptedDiscMessage()
{
    return "This DVD is encrypted (CSS), and the library that decrypts DVDs, libdvdcss, is not "
           "installed. Its titles are listed but cannot be converted or previewed.\n\n"
           "To enable decryption on Debian, run in a terminal:\n"
           "    sudo apt install libdvd-pkg && sudo dpkg-reconfigure libdvd-pkg\n"
           "then load the disc again.";
}

} // namespace dvd
