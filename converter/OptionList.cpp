#include "OptionList.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace
{

// The converter's options that are switches: they never take a value.
constexpr std::array<std::string_view, 30> switches = {
    "y",
    "n",
    "an",
    "vn",
    "sn",
    "dn",
    "deinterlace",
    "shortest",
    "copyts",
    "start_at_zero",
    "re",
    "stats",
    "nostdin",
    "stdin",
    "hide_banner",
    "benchmark",
    "benchmark_all",
    "dump",
    "hex",
    "ignore_unknown",
    "copy_unknown",
    "vstats",
    "psnr",
    "intra",
    "qphist",
    "accurate_seek",
    "autorotate",
    "autoscale",
    "fix_sub_duration",
    "debug_ts",
};

bool isSwitch(std::string_view name)
{
    if (std::find(switches.begin(), switches.end(), name) != switches.end())
        return true;
    // Boolean options may also be given negated: -nostats, -noautorotate.
    return name.size() > 2 && name.substr(0, 2) == "no" &&
           std::find(switches.begin(), switches.end(), name.substr(2)) != switches.end();
}

// "-1", "-0.5" and the like are values, not options.
bool isNumber(std::string_view token)
{
    return token.size() > 1 && (std::isdigit(static_cast<unsigned char>(token[1])) ||
                                (token[1] == '.' && token.size() > 2));
}

bool isOptionToken(std::string_view token)
{
    return token.size() > 1 && token[0] == '-' && !isNumber(token);
}

} // namespace

std::vector<Option> parseOptions(const std::vector<std::string> &tokens)
{
    std::vector<Option> options;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Option option;
        if (!isOptionToken(tokens[i])) {
            option.value = tokens[i];
        } else {
            option.name = tokens[i].substr(1);
            if (!isSwitch(option.name) && i + 1 < tokens.size()) {
                option.value = tokens[++i];
                option.hasValue = true;
            }
        }
        options.push_back(std::move(option));
    }
    return options;
}

std::vector<std::string> flattenOptions(const std::vector<Option> &options)
{
    std::vector<std::string> tokens;
    for (const Option &option : options) {
        if (option.name.empty()) {
            tokens.push_back(option.value);
            continue;
        }
        tokens.push_back('-' + option.name);
        if (option.hasValue)
            tokens.push_back(option.value);
    }
    return tokens;
}
