#pragma once

// The machine-readable lines the converter launcher prints on standard error
// after a conversion, besides "torvane: conversion failed: <reason>", so
// that the engine learns why a conversion failed, what could not be read and
// under which name an unfinished file was kept. Each is one line:
//
//   torvane: failure: <kind>              why the conversion failed (Failure)
//   torvane: read to: <ms> of <ms>        how far the source was converted
//   torvane: skipped: <at ms> <length ms> a stretch that could not be read
//   torvane: stopped at: <ms>             where a stopped conversion ends
//   torvane: kept: <file name>            the unfinished file, in the
//                                         target's folder
//
// Times are whole milliseconds of the source's own time. A file name is
// written with escape(): a name may hold a line end.

#include <cstdint>
#include <string>
#include <string_view>

namespace outcome
{

inline constexpr std::string_view kFailedPrefix = "torvane: conversion failed: ";
inline constexpr std::string_view kFailurePrefix = "torvane: failure: ";
inline constexpr std::string_view kReadToPrefix = "torvane: read to: ";
inline constexpr std::string_view kSkippedPrefix = "torvane: skipped: ";
inline constexpr std::string_view kStoppedAtPrefix = "torvane: stopped at: ";
inline constexpr std::string_view kKeptPrefix = "torvane: kept: ";

// Why a conversion failed.
enum class Failure {
    None,
    Other,            // the converter's own reason only
    DiskFull,         // no space left, quota exceeded, file too large
    NotWritable,      // the output folder refuses files (read-only, no rights)
    Unreadable,       // the disc could not be read at a point (see "skipped")
    Incomplete,       // the file ends before the source does (see "read to")
    NoPicture,        // the source holds no picture to convert
    ConverterMissing, // ffmpeg is not installed
    DamagedTables,    // the DVD's tables cannot be read
};

inline constexpr struct {
    Failure kind;
    std::string_view name;
} kFailureNames[] = {
    {Failure::Other, "other"},
    {Failure::DiskFull, "disk-full"},
    {Failure::NotWritable, "not-writable"},
    {Failure::Unreadable, "unreadable"},
    {Failure::Incomplete, "incomplete"},
    {Failure::NoPicture, "no-picture"},
    {Failure::ConverterMissing, "converter-missing"},
    {Failure::DamagedTables, "damaged-tables"},
};

inline std::string_view failureName(Failure kind)
{
    for (const auto &entry : kFailureNames) {
        if (entry.kind == kind)
            return entry.name;
    }
    return "other";
}

// The kind a name stands for; Other for a name this side does not know.
inline Failure failureFromName(std::string_view name)
{
    for (const auto &entry : kFailureNames) {
        if (entry.name == name)
            return entry.kind;
    }
    return Failure::Other;
}

// A value that stays on its line: '%', CR and LF as %25, %0D, %0A.
inline std::string escape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

inline std::string unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string_view code = text.substr(i + 1, 2);
            const char c = code == "25" ? '%' : code == "0D" ? '\r' : code == "0A" ? '\n' : 0;
            if (c != 0) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace outcome
