#pragma once

#include <string>
#include <vector>

// One item of a converter option string: an option with its value, an option
// that takes none, or a stray token that belongs to no option.
struct Option {
    std::string name;      // without the leading '-'; empty for a stray token
    std::string value;     // the option's value, or the stray token itself
    bool hasValue = false; // false for options that take no value
    bool added = false;    // made by the rewriter, not found in the input
};

// Splits option tokens into options. A token that starts with '-' and is not
// a number is an option; unless it is one of the converter's switches that
// take no value, the token after it is its value, whatever it looks like
// (so "-strict -1" is one option with the value "-1").
std::vector<Option> parseOptions(const std::vector<std::string> &tokens);

// The tokens of a list of options, in order.
std::vector<std::string> flattenOptions(const std::vector<Option> &options);
