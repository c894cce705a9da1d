#pragma once

#include <string>

namespace titles
{

// The three-letter language code (ISO 639-2, bibliographic form) that
// containers store, for the two-letter code (ISO 639-1) a DVD carries.
// Upper case is accepted; an unknown or empty code gives "und".
std::string languageCode3(const std::string &code2);

} // namespace titles
