#pragma once

#include <cstdarg>
#include <functional>
#include <string>

namespace dvd
{

enum class LogLevel { Debug, Info, Warning, Error };

using LogHandler = std::function<void(LogLevel level, const std::string &line)>;

// Where the module's messages, libdvdread's own included, go. By default
// they are dropped, unless VELKO_DVD_LOG is set in the environment, in which
// case they go to standard error. Nothing ever goes to standard output, which
// carries the converter's text. Set it before opening discs; not thread-safe.
void setLogHandler(LogHandler handler);

// Hands one line to the current handler.
void log(LogLevel level, const std::string &line);

// Hands a line a library's logger formats (printf style, line ends
// dropped) to the current handler, after prefix.
void logFormatted(LogLevel level, const char *prefix, const char *format, va_list args);

} // namespace dvd
