#pragma once

#include <optional>
#include <string_view>

// Evaluates the size expressions of ffmpeg's crop, scale and pad filters as
// the presets write them ("iw", "ih-2*60", "ih*3/4", "iw:ih+2*22" split at
// the colons first): numbers, the input size as iw/in_w and ih/in_h, the
// four arithmetic operators and parentheses. Nothing for anything else.
std::optional<double> evaluateSize(std::string_view expression, double inputWidth,
                                   double inputHeight);
