#include "Log.h"

#include <cstdio>
#include <cstdlib>

namespace dvd
{

namespace
{

void toStandardError(LogLevel level, const std::string &line)
{
    static const char *const names[] = {"debug", "info", "warning", "error"};
    std::fprintf(stderr, "dvd %s: %s\n", names[int(level)], line.c_str());
}

LogHandler &currentHandler()
{
    static LogHandler handler =
        std::getenv("VELKO_DVD_LOG") ? LogHandler(toStandardError) : LogHandler();
    return handler;
}

} // namespace

void setLogHandler(LogHandler handler)
{
    currentHandler() = std::move(handler);
}

void log(LogLevel level, const std::string &line)
{
    const LogHandler &handler = currentHandler();
    if (handler)
        handler(level, line);
}

} // namespace dvd
