#include "Ratio.h"

#include <charconv>
#include <numeric>

namespace
{

std::optional<std::int64_t> wholeNumber(std::string_view text)
{
    std::int64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

// "29.97" as 2997/100; digits after the point limited so nothing overflows.
std::optional<Ratio> decimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return std::nullopt;
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = text.substr(point + 1);
    if (fraction.empty() || fraction.size() > 6)
        return std::nullopt;
    const auto digits = wholeNumber(fraction);
    const auto units = whole.empty() ? std::optional<std::int64_t>(0) : wholeNumber(whole);
    if (!digits || !units || *digits < 0 || *units < 0 || *units > 1000000)
        return std::nullopt;
    std::int64_t scale = 1;
    for (std::size_t i = 0; i < fraction.size(); ++i)
        scale *= 10;
    return Ratio(*units * scale + *digits, scale);
}

} // namespace

Ratio::Ratio(std::int64_t n, std::int64_t d) : num(n), den(d)
{
    if (num <= 0 || den <= 0) {
        num = 0;
        den = 0;
        return;
    }
    const std::int64_t common = std::gcd(num, den);
    num /= common;
    den /= common;
}

std::string Ratio::text() const
{
    if (den == 1)
        return std::to_string(num);
    return std::to_string(num) + '/' + std::to_string(den);
}

std::string Ratio::aspectText() const
{
    return std::to_string(num) + ':' + std::to_string(den);
}

std::optional<Ratio> Ratio::parse(std::string_view text)
{
    const std::size_t split = text.find_first_of(":/");
    std::optional<Ratio> result;
    if (split != std::string_view::npos) {
        const auto n = wholeNumber(text.substr(0, split));
        const auto d = wholeNumber(text.substr(split + 1));
        if (n && d)
            result = Ratio(*n, *d);
    } else if (const auto whole = wholeNumber(text)) {
        result = Ratio(*whole, 1);
    } else {
        result = decimal(text);
    }
    if (!result || !result->known())
        return std::nullopt;
    return result;
}

Ratio operator*(const Ratio &a, const Ratio &b)
{
    if (!a.known() || !b.known())
        return {};
    // Reduced crosswise first, so that DVD sizes and aspects stay small.
    const std::int64_t g1 = std::gcd(a.num, b.den);
    const std::int64_t g2 = std::gcd(b.num, a.den);
    return Ratio((a.num / g1) * (b.num / g2), (a.den / g2) * (b.den / g1));
}

Ratio operator/(const Ratio &a, const Ratio &b)
{
    return a * Ratio(b.den, b.num);
}

bool operator==(const Ratio &a, const Ratio &b)
{
    return a.num == b.num && a.den == b.den;
}
