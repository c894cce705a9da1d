#pragma once

#include <cstdarg>
#include <string>

namespace dvd
{

enum class LogLevel { Debug, Info, Warning, Error };

// Hands one of the module's messages, libdvdread's own included, on. They are
// dropped unless VELKO_DVD_LOG is set in the environment, in which case they
// go to standard error. Nothing ever goes to standard output, which carries
// the converter's text.
void log(LogLevel level, const std::string &line);

// Hands a line a library's logger formats (printf style, line ends
// dropped) on as log does, after prefix.
void logFormatted(LogLevel level, const char *prefix, const char *format, va_list args);

} // namespace dvd
