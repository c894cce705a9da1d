#include "TitleSource.h"

#include "DiscTypes.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace titles
{

namespace
{

const std::string kScheme = "dvdtitle:";
const std::string kExtension(dvd::titleExtension);

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string percentEncode(const std::string &text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string safeFileName(const std::string &name)
{
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        out += (c < 0x20 || c == 0x7F || c == '/') ? '_' : ch;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return "DVD";
    const std::size_t last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

std::string titleFileName(const std::string &label, int title)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", title);
    return safeFileName(label) + " - Title " + number;
}

std::string makeTitleSource(const TitleSource &source)
{
    return kScheme + percentEncode(source.disc) + ':' + std::to_string(source.title) +
           choiceText(source.choice) + '/' + safeFileName(source.name) + kExtension;
}

std::optional<TitleSource> parseTitleSource(const std::string &text)
{
    if (text.compare(0, kScheme.size(), kScheme) != 0)
        return std::nullopt;
    const std::size_t colon = text.find(':', kScheme.size());
    const std::size_t slash = text.find('/', kScheme.size());
    if (colon == std::string::npos || slash == std::string::npos || slash < colon)
        return std::nullopt;

    TitleSource source;
    const auto disc = percentDecode(text.substr(kScheme.size(), colon - kScheme.size()));
    if (!disc || disc->empty())
        return std::nullopt;
    source.disc = *disc;

    const std::size_t choiceAt = std::min(text.find(';', colon), slash);
    const char *first = text.data() + colon + 1;
    const char *last = text.data() + choiceAt;
    const auto [end, error] = std::from_chars(first, last, source.title);
    if (error != std::errc() || end != last || first == last || source.title < 1)
        return std::nullopt;
    const auto choice = parseChoiceText(text.substr(choiceAt, slash - choiceAt));
    if (!choice)
        return std::nullopt;
    source.choice = *choice;

    std::string name = text.substr(slash + 1);
    if (name.size() > kExtension.size() &&
        name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0)
        name.resize(name.size() - kExtension.size());
    source.name = name;
    return source;
}

} // namespace titles
