#include "VideoEncoder.h"

#include <algorithm>
#include <array>

namespace
{

constexpr std::array<std::string_view, 17> nativeMpegEncoders = {
    "mpeg1video", "mpeg2video", "mpeg4", "msmpeg4v2", "msmpeg4", "msmpeg4v3",
    "wmv1",       "wmv2",       "h263",  "h263p",     "flv",     "rv10",
    "rv20",       "h261",       "mjpeg", "amv",       "speedhq",
};

std::string_view impliedByTarget(std::string_view target)
{
    const std::string_view kind = targetKind(target);
    if (kind == "vcd")
        return "mpeg1video";
    if (kind == "svcd" || kind == "dvd")
        return "mpeg2video";
    if (kind == "dv" || kind == "dv50")
        return "dvvideo";
    return {};
}

} // namespace

std::string_view targetKind(std::string_view target)
{
    const std::size_t dash = target.find('-');
    return dash == std::string_view::npos ? target : target.substr(dash + 1);
}

std::string videoEncoder(const std::vector<Option> &options)
{
    std::string encoder;
    for (const Option &option : options) {
        if (!option.hasValue)
            continue;
        const std::string &name = option.name;
        if (name == "vcodec" || name == "c:v" || name == "codec:v" || name == "c" ||
            name == "codec")
            encoder = option.value;
        else if (name == "target")
            encoder = impliedByTarget(option.value);
    }
    return encoder;
}

bool isNativeMpegEncoder(std::string_view encoder)
{
    return std::find(nativeMpegEncoders.begin(), nativeMpegEncoders.end(), encoder) !=
           nativeMpegEncoders.end();
}
