#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

#include <dvdread/ifo_types.h>

namespace dvd
{

// Walks the program chains of one title set's table: a title's cells,
// sectors, chapters and duration, and the play time of each piece.
class ChainWalk
{
public:
    // One cell of a program chain that plays on the first angle.
    struct Cell {
        std::uint32_t firstSector = 0;
        std::uint32_t lastSector = 0;
        std::int64_t durationMs = 0;
    };

    // The elapsed cell time at a title-set sector.
    using ElapsedAt = std::function<std::int64_t(std::uint32_t sector)>;

    explicit ChainWalk(const ifo_handle_t &ifo);

    // The chain with number n (from 1), or nullptr.
    const pgc_t *chain(int n) const;
    // The chain of the first part of title titleInSet (from 1), or nullptr.
    const pgc_t *firstChainOf(int titleInSet) const;

    // Fills a title's duration, chapters and sectors from the chains of its
    // parts.
    void readTitle(Title &title) const;

    // Gives every piece the play time of the content it holds: every cell of
    // the set once (first angle), split over the pieces its sectors lie in
    // at the elapsed time at each boundary.
    void splitCellsOverPieces(std::vector<Piece> &pieces, const ElapsedAt &elapsedAt) const;

    // The cells of a chain in play order; with the index of every cell of
    // the chain (1-based cell number - 1) into that list, -1 for other
    // angles.
    static std::vector<Cell> cellsOf(const pgc_t &pgc, std::vector<int> *indexOfCell = nullptr);

    // The title's sectors as byte ranges of the pieces they lie in; each
    // such piece lists the title.
    static void mapToPieces(Title &title, std::vector<Piece> &pieces);

private:
    const ifo_handle_t &m_ifo;
};

} // namespace dvd
