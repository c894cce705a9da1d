#include "PresetPicture.h"

#include "SizeExpression.h"
#include "VideoEncoder.h"

#include <cmath>
#include <optional>
#include <string_view>

namespace
{

// One filter of a chain: its name and its arguments, positional ("320") or
// named ("w=320").
struct FilterCall {
    std::string name;
    std::vector<std::string> arguments;

    // The argument at position, or the first given by one of the names.
    std::optional<std::string> argument(std::size_t position,
                                        std::initializer_list<std::string_view> names) const
    {
        std::size_t positional = 0;
        for (const std::string &argument : arguments) {
            const std::size_t equals = argument.find('=');
            if (equals == std::string::npos) {
                if (positional++ == position)
                    return argument;
                continue;
            }
            for (const std::string_view name : names)
                if (std::string_view(argument).substr(0, equals) == name)
                    return argument.substr(equals + 1);
        }
        return std::nullopt;
    }
};

FilterCall parseFilter(const std::string &text)
{
    FilterCall call;
    const std::size_t equals = text.find('=');
    call.name = text.substr(0, equals);
    if (equals == std::string::npos)
        return call;
    std::string argument;
    for (const char c : text.substr(equals + 1)) {
        if (c == ':') {
            call.arguments.push_back(argument);
            argument.clear();
        } else {
            argument += c;
        }
    }
    call.arguments.push_back(argument);
    return call;
}

bool isDeinterlacer(const std::string &name)
{
    return name == "yadif" || name == "bwdif" || name == "w3fdif" || name == "estdif";
}

// The frame rate of a -target norm.
Ratio normRate(std::string_view target)
{
    if (target.substr(0, 4) == "pal-")
        return Ratio(25, 1);
    if (target.substr(0, 5) == "ntsc-")
        return Ratio(30000, 1001);
    if (target.substr(0, 5) == "film-")
        return Ratio(24000, 1001);
    return {};
}

// The frame of a -target: its kind's width and the norm's lines (half of
// them for VCD).
std::pair<int, int> targetFrame(std::string_view kind, bool pal)
{
    const int lines = pal ? 576 : 480;
    if (kind == "vcd")
        return {352, lines / 2};
    if (kind == "svcd")
        return {480, lines};
    if (kind == "dvd" || kind == "dv" || kind == "dv50")
        return {720, lines};
    return {0, 0};
}

// Follows the frame size through the preset's own chain.
class ChainReader
{
public:
    ChainReader(PresetPicture &preset, int width, int height)
        : m_preset(preset), m_width(width), m_height(height)
    {
    }

    void read(const std::string &chain)
    {
        bool cropped = false;
        bool padded = false;
        for (const std::string &text : splitFilterChain(chain)) {
            const FilterCall call = parseFilter(text);
            if (isDeinterlacer(call.name)) {
                m_preset.deinterlaces = true;
            } else if (call.name == "crop") {
                cropped = true;
                resize(call, {"w", "out_w"}, {"h", "out_h"}, "iw", "ih");
            } else if (call.name == "scale") {
                m_sized = true;
                scale(call);
            } else if (call.name == "pad") {
                m_sized = true;
                padded = true;
                resize(call, {"w", "width"}, {"h", "height"}, "iw", "ih");
            } else if (call.name != "setsar" && call.name != "setdar") {
                m_preset.otherFilters.push_back(text);
            }
        }
        m_preset.fillsFrame = cropped && !padded && m_sized;
        if (m_sized && m_preset.understood) {
            m_preset.width = m_width;
            m_preset.height = m_height;
        }
    }

private:
    std::optional<int> evaluate(const std::string &text)
    {
        const std::optional<double> value = evaluateSize(text, m_width, m_height);
        if (!value || !std::isfinite(*value) || *value < -2 || *value > 16384) {
            m_preset.understood = false;
            return std::nullopt;
        }
        return int(std::lround(*value));
    }

    void resize(const FilterCall &call, std::initializer_list<std::string_view> widthNames,
                std::initializer_list<std::string_view> heightNames, const char *sameWidth,
                const char *sameHeight)
    {
        const auto width = evaluate(call.argument(0, widthNames).value_or(sameWidth));
        const auto height = evaluate(call.argument(1, heightNames).value_or(sameHeight));
        if (!width || !height)
            return;
        // A pad of 0 keeps the input's size.
        m_width = *width > 0 ? *width : m_width;
        m_height = *height > 0 ? *height : m_height;
    }

    void scale(const FilterCall &call)
    {
        const auto width = evaluate(call.argument(0, {"w", "width"}).value_or("iw"));
        const auto height = evaluate(call.argument(1, {"h", "height"}).value_or("ih"));
        if (!width || !height || (*width <= 0 && *height <= 0)) {
            m_preset.understood = false;
            return;
        }
        // -1 keeps the input's proportions, -2 too with an even result.
        auto keep = [](int given, double other, double ratio) {
            const int value = int(std::lround(other * ratio));
            return given == -2 ? value + value % 2 : value;
        };
        const double inWidth = m_width;
        const double inHeight = m_height;
        m_width = *width > 0 ? *width : keep(*width, *height, inWidth / inHeight);
        m_height = *height > 0 ? *height : keep(*height, *width, inHeight / inWidth);
    }

    PresetPicture &m_preset;
    int m_width;
    int m_height;
    bool m_sized = false;
};

std::optional<std::pair<int, int>> frameSize(const std::string &text)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto width = Ratio::parse(text.substr(0, x));
    const auto height = Ratio::parse(text.substr(x + 1));
    if (!width || !height || width->den != 1 || height->den != 1)
        return std::nullopt;
    return std::pair<int, int>(int(width->num), int(height->num));
}

} // namespace

bool isVideoFilterOption(const Option &option)
{
    return option.hasValue && (option.name == "vf" || option.name == "filter:v");
}

std::vector<std::string> splitFilterChain(const std::string &chain)
{
    std::vector<std::string> filters;
    std::string filter;
    bool escaped = false;
    for (const char c : chain) {
        if (c == ',' && !escaped) {
            filters.push_back(filter);
            filter.clear();
            continue;
        }
        escaped = c == '\\' && !escaped;
        filter += c;
    }
    if (!filter.empty())
        filters.push_back(filter);
    return filters;
}

PresetPicture readPresetPicture(const std::vector<Option> &options, int sourceWidth,
                                int sourceHeight)
{
    PresetPicture preset;
    const Option *chain = nullptr;
    // The size of -s or -target: the encoder scales to it after the filters.
    std::pair<int, int> size(0, 0);
    for (const Option &option : options) {
        if (!option.hasValue) {
            if (option.name == "deinterlace")
                preset.deinterlaces = true;
            continue;
        }
        const std::string &name = option.name;
        if (isVideoFilterOption(option)) {
            chain = &option;
        } else if (name == "aspect") {
            preset.aspect = Ratio::parse(option.value).value_or(Ratio());
        } else if (name == "r") {
            preset.rate = Ratio::parse(option.value).value_or(Ratio());
        } else if (name == "s") {
            const auto given = frameSize(option.value);
            preset.understood = preset.understood && given.has_value();
            size = given.value_or(size);
        } else if (name == "f") {
            const std::string &format = option.value;
            if (format == "dvd" || format == "vob" || format == "svcd" || format == "vcd" ||
                format == "dv")
                preset.discFormat = true;
            if (format == "dvd" || format == "vob" || format == "dv")
                preset.interlacedFormat = true;
        } else if (name == "target") {
            const std::string_view kind = targetKind(option.value);
            const Ratio rate = normRate(option.value);
            const auto frame = targetFrame(kind, rate == Ratio(25, 1));
            if (!rate.known() || frame.first == 0)
                continue;
            preset.discFormat = true;
            preset.interlacedFormat = kind == "dvd" || kind == "dv" || kind == "dv50";
            preset.rate = rate;
            size = frame;
        }
    }
    if (chain)
        ChainReader(preset, sourceWidth, sourceHeight).read(chain->value);
    if (size.first > 0) {
        preset.width = size.first;
        preset.height = size.second;
    }
    return preset;
}
