#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A positive rational number such as a display aspect (16:9) or a frame
// rate (30000/1001), kept in lowest terms. A zero denominator stands for
// "not known".
struct Ratio {
    std::int64_t num = 0;
    std::int64_t den = 0;

    Ratio() = default;
    Ratio(std::int64_t n, std::int64_t d);

    bool known() const { return num > 0 && den > 0; }
    double value() const { return known() ? double(num) / double(den) : 0.0; }
    // "16/9", "25", "30000/1001": the form ffmpeg's options and filters take.
    std::string text() const;
    // "16:9".
    std::string aspectText() const;

    // Reads "16:9", "16/9", "25", "29.97" or "2.35"; nothing for anything
    // else or for a value that is not positive.
    static std::optional<Ratio> parse(std::string_view text);
};

Ratio operator*(const Ratio &a, const Ratio &b);
Ratio operator/(const Ratio &a, const Ratio &b);
bool operator==(const Ratio &a, const Ratio &b);
