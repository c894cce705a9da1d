#pragma once

#include "OptionList.h"

#include <string>
#include <string_view>
#include <vector>

// The video encoder an option list selects: the last -vcodec, -c:v, -codec:v,
// -c or -codec, or the encoder a -target implies, whichever comes last (as
// the converter resolves them). Empty when the options leave the choice to
// the output format's default.
std::string videoEncoder(const std::vector<Option> &options);

// The kind of a -target value without its norm: "pal-dvd" gives "dvd",
// "ntsc-dv" gives "dv", "vcd" gives "vcd".
std::string_view targetKind(std::string_view target);

// Whether the encoder is one of the converter's own MPEG-family encoders,
// which take the motion-vector flag mv0 through -mpv_flags.
bool isNativeMpegEncoder(std::string_view encoder);
