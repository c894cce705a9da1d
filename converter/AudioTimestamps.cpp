#include "AudioTimestamps.h"

#include "OptionList.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace
{

constexpr std::string_view kResampler = "aresample=async=1";

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isAudioFilter(const Option &option)
{
    return option.hasValue && isOneOf(option.name, {"af", "filter:a"});
}

// Whether a filter chain holds an aresample filter with an async option.
bool resamplesWithAsync(std::string_view chain)
{
    std::size_t start = 0;
    while (start <= chain.size()) {
        const std::size_t end = std::min(chain.find(',', start), chain.size());
        const std::string_view filter = chain.substr(start, end - start);
        if (filter.substr(0, 10) == "aresample=" && filter.find("async=") != std::string::npos)
            return true;
        start = end + 1;
    }
    return false;
}

// Whether the options leave the output without encoded audio, or with audio
// that a -af chain cannot reach.
bool encodesNoFilterableAudio(const std::vector<Option> &options)
{
    std::string codec;
    for (const Option &option : options) {
        if (!option.hasValue && option.name == "an")
            return true;
        if (isOneOf(option.name, {"filter_complex", "lavfi", "filter_complex_script"}))
            return true;
        // The converter takes the last codec option that applies to audio.
        if (option.hasValue && isOneOf(option.name, {"acodec", "c:a", "codec:a", "c", "codec"}))
            codec = option.value;
    }
    return codec == "copy";
}

} // namespace

std::vector<std::string> withMonotonicAudio(const std::vector<std::string> &tokens)
{
    std::vector<Option> options = parseOptions(tokens);
    if (encodesNoFilterableAudio(options))
        return tokens;
    // Only the last audio chain takes effect.
    auto chain = std::find_if(options.rbegin(), options.rend(), isAudioFilter);
    if (chain == options.rend()) {
        // In front, so that an option left without its value at the end
        // stays where it was.
        options.insert(options.begin(), {"af", std::string(kResampler), true, true});
    } else if (resamplesWithAsync(chain->value)) {
        return tokens;
    } else {
        // First, so that the chain's other filters see steady times too.
        chain->value = chain->value.empty() ? std::string(kResampler)
                                            : std::string(kResampler) + ',' + chain->value;
    }
    return flattenOptions(options);
}
