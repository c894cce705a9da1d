#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace dvd
{

class Disc;

enum class OpenError {
    None,
    NotFound,   // the source does not exist
    NoTables,   // no VIDEO_TS.IFO: not a DVD-Video (a loose VOB, an empty folder)
    Damaged,    // an IFO file and its .BUP copy both unreadable or inconsistent
    Unreadable, // the device or image cannot be read at all
    Cancelled,  // the caller gave up waiting for the tables
};

// What to read of a DVD's tables.
struct OpenOptions {
    // Only this title set (and its titles), when not 0: what answering for
    // one title file needs, without reading the tables of all the others.
    int onlyTitleSet = 0;
    // Where the tables are read in a child process (readTablesInChild): how
    // long it may take, and a flag that, once set, ends it early.
    int timeoutMs = 60000;
    const std::atomic<bool> *cancel = nullptr;
    // Of a folder source: the folder to read the tables from instead of the
    // source's own, with the pieces still found in the source (the second
    // try reads the .BUP copies, linked there under the IFO names).
    std::string tablesFolder;
};

// The outcome of opening a DVD: a disc, or why there is none.
struct OpenResult {
    std::shared_ptr<Disc> disc;
    OpenError error = OpenError::None;
    std::string message; // a sentence for the user or the log, empty on success

    explicit operator bool() const { return disc != nullptr; }
};

} // namespace dvd
