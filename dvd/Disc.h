#pragma once

#include "DiscTypes.h"
#include "OpenResult.h"
#include "SectorReader.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct dvd_reader_s;

namespace dvd
{

// One DVD-Video as its IFO tables describe it. Opened from a folder holding
// VIDEO_TS (or the VIDEO_TS folder itself), a disc's mount point, a device or
// an ISO image. A damaged IFO is read from its .BUP copy. Where
// readTablesInChild was called, the tables are read in a child process.
class Disc
{
public:
    static OpenResult open(const std::string &source);
    static OpenResult open(const std::string &source, const OpenOptions &options);

    const std::string &source() const { return m_source; }
    // A hash of the disc's tables as 32 hex digits, the same whichever drive,
    // image or folder the disc is read from; empty when it cannot be read.
    std::string identity() const;
    const std::vector<Title> &titles() const { return m_titles; }
    const std::vector<TitleSet> &titleSets() const { return m_titleSets; }
    // The title a player plays as the film, and how sure the choice is;
    // found on the first call by following the disc's navigation (no title
    // when only one title set was read). Safe to call from several threads.
    const MainTitle &mainTitle() const;

    // The title set's piece with number k (1..9), or nullptr.
    const Piece *piece(int titleSet, int number) const;
    const Title *title(int number) const;
    const TitleSet *titleSet(int number) const;

    // Readers through libdvdread (decrypting when libdvdcss is present) of a
    // title's content, or of a piece's whole sectors. nullptr when the title
    // set's VOBs cannot be opened. They skip what cannot be read, to the next
    // unit of the title set's address map (SectorReader).
    std::unique_ptr<SectorReader> openTitle(int number) const;
    std::unique_ptr<SectorReader> openPiece(int titleSet, int number) const;
    std::unique_ptr<SectorReader> openSectors(int titleSet, std::vector<SectorRange> ranges) const;

private:
    Disc() = default;
    friend class DiscLoader;
    friend class TablesText;

    // The reader of the disc's sectors, opened on first use when the tables
    // came from elsewhere (TablesText).
    std::shared_ptr<dvd_reader_s> reader() const;

    std::string m_source;
    mutable std::mutex m_readerLock;
    mutable std::shared_ptr<dvd_reader_s> m_reader;
    std::vector<Title> m_titles;
    std::vector<TitleSet> m_titleSets;
    std::string m_openPath;      // what libdvdread opens to read sectors
    std::string m_tablesPath;    // what the tables were read from, when not m_openPath
    bool m_allTitleSets = false; // all title sets were read
    mutable std::once_flag m_identityOnce;
    mutable std::string m_identity;
    mutable std::once_flag m_mainTitleOnce;
    mutable MainTitle m_mainTitle;
    // Per title set: the first sector of every unit (VOBU), ascending.
    std::map<int, std::shared_ptr<const std::vector<std::uint32_t>>> m_unitStarts;
};

} // namespace dvd
