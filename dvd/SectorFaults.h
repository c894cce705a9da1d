#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dvd
{

// Sectors that reading is to treat as unreadable, as a scratch on a disc
// makes them: the seam through which damaged discs are tried without special
// hardware. Empty unless set; set it before reading starts (not
// thread-safe).
struct FailingSectors {
    int titleSet = 0; // 0: any title set
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

void setFailingSectors(std::vector<FailingSectors> ranges);
// Whether any sector of [first, first + count) of the title set is to fail.
bool sectorsFail(int titleSet, std::uint32_t first, std::uint32_t count);

// The ranges a text gives: "SET:FIRST-LAST" or "FIRST-LAST" (title-set
// sector numbers), separated by commas; nothing when the text is malformed.
std::optional<std::vector<FailingSectors>> parseFailingSectors(const std::string &text);

// The environment variable the converter launcher takes the ranges from.
inline constexpr char kFailingSectorsVariable[] = "VELKO_FAIL_SECTORS";

} // namespace dvd
