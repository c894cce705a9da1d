#include "Log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dvd
{

void log(LogLevel level, const std::string &line)
{
    static const bool shown = std::getenv("VELKO_DVD_LOG") != nullptr;
    if (!shown)
        return;
    static const char *const names[] = {"debug", "info", "warning", "error"};
    std::fprintf(stderr, "dvd %s: %s\n", names[int(level)], line.c_str());
}

void logFormatted(LogLevel level, const char *prefix, const char *format, va_list args)
{
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    std::size_t length = std::strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
    log(level, std::string(prefix) + line);
}

} // namespace dvd
