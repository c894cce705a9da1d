#include "PictureCache.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Bumped whenever the analysis changes what it finds, so that older results
// are measured again.
constexpr char kFormatLine[] = "velko picture analysis 1";

std::uint64_t hashOf(const std::string &text)
{
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// The key on one line: a file's path may hold a line end.
std::string keyLine(const std::string &key)
{
    std::string line;
    for (const char c : key) {
        if (c == '\\' || c == '\n')
            line += '\\';
        line += c == '\n' ? 'n' : c;
    }
    return line;
}

// "720x576 16:9 25" (or "unknown"), and back.
std::string frameLine(const SourcePicture &frame)
{
    if (!frame.known())
        return "unknown";
    return std::to_string(frame.width) + 'x' + std::to_string(frame.height) + ' ' +
           frame.aspect.aspectText() + ' ' + frame.rate.text();
}

SourcePicture frameFromLine(const std::string &line)
{
    SourcePicture frame;
    std::istringstream words(line);
    std::string size, aspect, rate;
    words >> size >> aspect >> rate;
    const std::size_t x = size.find('x');
    if (x == std::string::npos)
        return frame;
    frame.width = std::atoi(size.substr(0, x).c_str());
    frame.height = std::atoi(size.substr(x + 1).c_str());
    frame.aspect = Ratio::parse(aspect).value_or(Ratio());
    frame.rate = Ratio::parse(rate).value_or(Ratio());
    return frame;
}

} // namespace

PictureCache::PictureCache(std::string folder) : m_folder(std::move(folder)) {}

std::string PictureCache::defaultFolder()
{
    std::string base;
    if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        base = cache;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.cache";
    else
        return {};
    return base + "/VelkoFreeDVDRipper/picture";
}

std::string PictureCache::titleKey(const std::string &discIdentity, int title)
{
    return "dvd " + discIdentity + " title " + std::to_string(title);
}

std::optional<std::string> PictureCache::fileKey(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    struct stat info {
    };
    if (error || ::stat(canonical.c_str(), &info) != 0)
        return std::nullopt;
    return "file " + std::to_string(info.st_size) + ' ' + std::to_string(info.st_mtim.tv_sec) +
           '.' + std::to_string(info.st_mtim.tv_nsec) + ' ' + canonical.string();
}

std::string PictureCache::pathFor(const std::string &key) const
{
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.txt", static_cast<unsigned long long>(hashOf(key)));
    return m_folder + '/' + name;
}

std::optional<PictureAnalysis> PictureCache::find(const std::string &key) const
{
    if (m_folder.empty())
        return std::nullopt;
    std::ifstream file(pathFor(key));
    std::string format, storedKey, frame, scan, bars, pulldown;
    PictureAnalysis analysis;
    if (!std::getline(file, format) || format != kFormatLine || !std::getline(file, storedKey) ||
        storedKey != keyLine(key) || !std::getline(file, frame) || !std::getline(file, scan) ||
        !std::getline(file, bars) || !std::getline(file, pulldown) ||
        !std::getline(file, analysis.details))
        return std::nullopt;
    analysis.frame = frameFromLine(frame);
    analysis.scan = scanClassFromName(scan);
    analysis.bars = Crop::parse(bars);
    analysis.pulldownFlags = pulldown == "pulldown";
    analysis.complete = true;
    return analysis;
}

bool PictureCache::store(const std::string &key, const PictureAnalysis &analysis) const
{
    if (m_folder.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    const std::string path = pathFor(key);
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << kFormatLine << '\n'
             << keyLine(key) << '\n'
             << frameLine(analysis.frame) << '\n'
             << scanClassName(analysis.scan) << '\n'
             << (analysis.bars ? analysis.bars->text() : "none") << '\n'
             << (analysis.pulldownFlags ? "pulldown" : "no pulldown") << '\n'
             << analysis.details << '\n';
        file.flush();
        if (!file)
            error = std::make_error_code(std::errc::io_error);
    }
    if (error || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
