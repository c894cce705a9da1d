#include "TargetNames.h"

#include <climits>

#include <unistd.h>

namespace targetnames
{

SplitName split(const std::string &target)
{
    SplitName parts;
    const std::size_t slash = target.rfind('/');
    parts.folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // A leading dot belongs to the name, not to an extension.
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    parts.stem = hasExtension ? name.substr(0, dot) : name;
    parts.extension = hasExtension ? name.substr(dot) : std::string();
    return parts;
}

std::size_t nameLimit(const std::string &folder)
{
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? std::size_t(limit) : std::size_t(NAME_MAX);
}

std::string fit(const std::string &stem, const std::string &tail, std::size_t limit)
{
    if (stem.size() + tail.size() <= limit || tail.size() >= limit)
        return stem + tail;
    std::size_t keep = limit - tail.size();
    // Back to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
    while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xc0) == 0x80)
        --keep;
    return stem.substr(0, keep) + tail;
}

std::string aside(const std::string &target, const std::string &label, int n)
{
    const SplitName parts = split(target);
    const std::string mark =
        n > 1 ? " (" + label + " " + std::to_string(n) + ")" : " (" + label + ")";
    return parts.folder + fit(parts.stem, mark + parts.extension, nameLimit(parts.folder));
}

} // namespace targetnames
