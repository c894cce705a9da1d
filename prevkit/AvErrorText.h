// The text of an FFmpeg error code, for the trace output.
#pragma once

#include <QString>

extern "C" {
#include <libavutil/error.h>
}

namespace prevkit
{

inline QString avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace prevkit
