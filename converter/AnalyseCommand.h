#pragma once

#include <string>
#include <vector>

// torvane --analyse [--cached] SOURCE...
//
// Prints one line per job source (a DVD title's text, a title file, a file)
// on standard output, in the order given:
//   <class> <bars> <how>
// class: progressive, interlaced, telecined or unknown; bars: the picture
// inside black bars as w:h:x:y, or "none"; how: "cached" (known before),
// "analysed" (measured now and kept), "uncached" (with --cached, which only
// looks in the cache: not known yet) or "failed" (the source's picture cannot be
// read). Answers the exit status: 0, or 2 for a call without sources.
int runAnalyseCommand(const std::vector<std::string> &arguments);

inline constexpr char kAnalyseOption[] = "--analyse";
inline constexpr char kCachedOption[] = "--cached";
