#pragma once

#include "OpenResult.h"

#include <memory>
#include <string>

struct dvd_reader_s;

namespace dvd
{

// Reads a DVD's tables into a Disc: what Disc::open does.
class DiscLoader
{
public:
    static OpenResult load(const std::string &source, const OpenOptions &options);
    // libdvdread's reader of a folder, device or image, with the module's
    // logger; nullptr when it cannot be opened.
    static std::shared_ptr<dvd_reader_s> openReader(const std::string &path);
};

} // namespace dvd
