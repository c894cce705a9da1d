#pragma once

#include "OpenResult.h"

#include <string>

namespace dvd
{

// Reads a DVD's tables into a Disc: what Disc::open does.
class DiscLoader
{
public:
    static OpenResult load(const std::string &source, const OpenOptions &options);
};

} // namespace dvd
