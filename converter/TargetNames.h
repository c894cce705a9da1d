#pragma once

#include <string>

// The names a conversion's files get beside its target: the hidden one it is
// written under, and the ones an unfinished file is kept under. Each stays
// within the file system's limit on a name's length: the part of the
// target's name before its extension is shortened (never inside a UTF-8
// character) where the additions would pass it.
namespace targetnames
{

struct SplitName {
    std::string folder;    // with its final '/', or empty
    std::string stem;      // the name before its extension
    std::string extension; // with its dot, or empty
};

SplitName split(const std::string &target);

// The longest name a file in folder may have, in bytes.
std::size_t nameLimit(const std::string &folder);

// stem + tail, with stem shortened so that the whole fits in limit bytes.
std::string fit(const std::string &stem, const std::string &tail, std::size_t limit);

// Where an unfinished target is kept: "NAME (label).ext" beside it, and for
// n > 1 "NAME (label n).ext".
std::string aside(const std::string &target, const std::string &label, int n);

} // namespace targetnames
