#include "ArgumentRewriter.h"

#include "OptionList.h"
#include "VideoEncoder.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace
{

// One item of a flag value such as "+mv0+aic": its sign ('+', '-' or none)
// and its name.
struct FlagItem {
    char sign = 0;
    std::string name;
};

std::vector<FlagItem> splitFlags(std::string_view value)
{
    std::vector<FlagItem> items;
    for (char c : value) {
        if (c == '+' || c == '-')
            items.push_back({c, {}});
        else if (items.empty())
            items.push_back({0, std::string(1, c)});
        else
            items.back().name += c;
    }
    return items;
}

std::string joinFlags(const std::vector<FlagItem> &items)
{
    std::string value;
    for (const FlagItem &item : items) {
        if (item.sign)
            value += item.sign;
        value += item.name;
    }
    return value;
}

bool isOneOf(const std::string &name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isVideoFilter(const Option &o)
{
    return o.hasValue && isOneOf(o.name, {"vf", "filter:v"});
}

bool isAudioFilter(const Option &o)
{
    return o.hasValue && isOneOf(o.name, {"af", "filter:a"});
}

// x264 names its partitions i4x4, i8x8, p4x4, p8x8, b8x8 in a comma list; the
// old generic flags spelled them +parti4x4+parti8x8+... Answers the value
// unchanged when it holds anything but added old-style partition flags.
std::string x264Partitions(const std::string &value)
{
    const std::vector<FlagItem> items = splitFlags(value);
    std::string result;
    for (const FlagItem &item : items) {
        static constexpr std::pair<std::string_view, std::string_view> names[] = {
            {"parti4x4", "i4x4"}, {"parti8x8", "i8x8"}, {"partp4x4", "p4x4"},
            {"partp8x8", "p8x8"}, {"partb8x8", "b8x8"},
        };
        const auto *found = std::find_if(std::begin(names), std::end(names),
                                         [&](const auto &n) { return n.first == item.name; });
        if (item.sign == '-' || found == std::end(names))
            return value;
        if (!result.empty())
            result += ',';
        result += found->second;
    }
    return items.empty() ? value : result;
}

// The last real (not rewriter-made) option matching pred, or end.
template <typename Pred>
std::vector<Option>::iterator lastReal(std::vector<Option> &options, Pred pred)
{
    for (auto it = options.end(); it != options.begin();) {
        --it;
        if (!it->added && pred(*it))
            return it;
    }
    return options.end();
}

// Rewriter-made options stand where the option they replace stood. When the
// input has a real option of the same kind, the converter would use only the
// last one given, so the made option's value joins that one instead: before
// its value (a filter that must run first) or after it.
template <typename Pred>
void mergePlaceholder(std::vector<Option> &options, Pred pred, std::string_view separator,
                      bool before)
{
    auto made = std::find_if(options.begin(), options.end(),
                             [&](const Option &o) { return o.added && pred(o); });
    if (made == options.end())
        return;
    auto real = lastReal(options, pred);
    if (real == options.end())
        return;
    if (real->value.empty())
        real->value = made->value;
    else if (before)
        real->value = made->value + std::string(separator) + real->value;
    else
        real->value += std::string(separator) + made->value;
    options.erase(made);
}

class Rewriter
{
public:
    explicit Rewriter(std::vector<Option> options)
        : m_in(std::move(options)), m_encoder(videoEncoder(m_in))
    {
    }

    std::vector<Option> run()
    {
        for (const Option &option : m_in)
            rewrite(option);
        addDvResampling();
        mergePlaceholder(m_out, isVideoFilter, ",", true);
        mergePlaceholder(m_out, isAudioFilter, ",", false);
        mergePlaceholder(
            m_out, [](const Option &o) { return o.hasValue && o.name == "mpv_flags"; }, "", false);
        return std::move(m_out);
    }

private:
    bool isX264() const { return m_encoder == "libx264" || m_encoder == "libx264rgb"; }

    void keep(Option option) { m_out.push_back(std::move(option)); }

    // Adds a rewriter-made option at the current place, or extends the one
    // made earlier.
    void place(const std::string &name, const std::string &value, std::string_view separator)
    {
        auto made = std::find_if(m_out.begin(), m_out.end(),
                                 [&](const Option &o) { return o.added && o.name == name; });
        if (made == m_out.end())
            m_out.push_back({name, value, true, true});
        else if (made->value.find(value) == std::string::npos)
            made->value += std::string(separator) + value;
    }

    void rewrite(Option option)
    {
        const std::string &name = option.name;
        if (!option.hasValue) {
            if (name == "deinterlace")
                place("vf", "yadif", ",");
            else
                keep(std::move(option));
            return;
        }
        if (isOneOf(name, {"acodec", "c:a", "codec:a"}) && option.value == "libvo_aacenc") {
            option.value = "aac";
        } else if (name == "flags") {
            rewriteFlags(std::move(option));
            return;
        } else if (name == "rc_buf_aggressivity") {
            return;
        } else if (name == "level" && m_encoder == "libvpx") {
            return;
        } else if (name == "profile") {
            option.name = "profile:v";
        } else if (name == "vb") {
            option.name = "b:v";
        } else if (name == "ab") {
            option.name = "b:a";
        } else if (name == "aq") {
            option.name = "q:a";
        } else if (name == "async") {
            place("af", "aresample=async=" + option.value + ":min_hard_comp=0.1:first_pts=0", ",");
            return;
        } else if (isX264()) {
            rewriteX264(option);
        }
        keep(std::move(option));
    }

    void rewriteX264(Option &option)
    {
        if (option.name == "rc_lookahead")
            option.name = "rc-lookahead";
        else if (option.name == "me_method")
            option.name = "motion-est";
        else if (option.name == "wpredp")
            option.name = "weightp";
        else if (option.name == "partitions")
            option.value = x264Partitions(option.value);
    }

    // mv0 moved from the codec flags to the MPEG-family encoders' own flags.
    void rewriteFlags(Option option)
    {
        std::vector<FlagItem> items = splitFlags(option.value);
        std::vector<FlagItem> mv0;
        auto isMv0 = [](const FlagItem &item) { return item.name == "mv0"; };
        std::copy_if(items.begin(), items.end(), std::back_inserter(mv0), isMv0);
        if (mv0.empty()) {
            keep(std::move(option));
            return;
        }
        items.erase(std::remove_if(items.begin(), items.end(), isMv0), items.end());
        if (!items.empty()) {
            option.value = joinFlags(items);
            keep(std::move(option));
        }
        // Without an explicit encoder the format's default decides; an unused
        // -mpv_flags only draws a warning, a wrong -flags value is an error.
        if (!m_encoder.empty() && !isNativeMpegEncoder(m_encoder))
            return;
        place("mpv_flags", mv0.back().sign == '-' ? "-mv0" : "+mv0", "");
    }

    void addDvResampling()
    {
        std::string kind;
        for (const Option &option : m_in)
            if (option.hasValue && option.name == "target")
                kind = targetKind(option.value);
        if (kind != "dv" && kind != "dv50")
            return;
        // An -async of the preset already brought the resampler in.
        const bool resampled = std::any_of(m_out.begin(), m_out.end(), [](const Option &o) {
            return isAudioFilter(o) && o.value.find("aresample=async=") != std::string::npos;
        });
        if (!resampled)
            place("af", "aresample=async=1", ",");
    }

    std::vector<Option> m_in;
    std::vector<Option> m_out;
    std::string m_encoder;
};

} // namespace

std::vector<std::string> rewriteArguments(const std::vector<std::string> &tokens)
{
    return flattenOptions(Rewriter(parseOptions(tokens)).run());
}
