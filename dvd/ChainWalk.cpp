#include "ChainWalk.h"

#include "TableAttributes.h"
#include "TableTime.h"

#include <algorithm>
#include <map>

namespace dvd
{

namespace
{

bool playsOnFirstAngle(const cell_playback_t &cell)
{
    return cell.block_type != BLOCK_TYPE_ANGLE_BLOCK || cell.block_mode == BLOCK_MODE_FIRST_CELL;
}

void appendRange(std::vector<SectorRange> &ranges, std::uint32_t first, std::uint32_t last)
{
    if (!ranges.empty() && ranges.back().lastSector + 1 == first)
        ranges.back().lastSector = last;
    else
        ranges.push_back({first, last});
}

} // namespace

ChainWalk::ChainWalk(const ifo_handle_t &ifo) : m_ifo(ifo) {}

const pgc_t *ChainWalk::chain(int n) const
{
    const pgcit_t *table = m_ifo.vts_pgcit;
    if (!table || n < 1 || n > table->nr_of_pgci_srp)
        return nullptr;
    return table->pgci_srp[n - 1].pgc;
}

const pgc_t *ChainWalk::firstChainOf(int titleInSet) const
{
    const vts_ptt_srpt_t *parts = m_ifo.vts_ptt_srpt;
    if (!parts || titleInSet < 1 || titleInSet > parts->nr_of_srpts)
        return nullptr;
    const ttu_t &unit = parts->title[titleInSet - 1];
    return unit.nr_of_ptts > 0 && unit.ptt ? chain(unit.ptt[0].pgcn) : nullptr;
}

std::vector<ChainWalk::Cell> ChainWalk::cellsOf(const pgc_t &pgc, std::vector<int> *indexOfCell)
{
    std::vector<Cell> cells;
    if (!pgc.cell_playback)
        return cells;
    for (int i = 0; i < pgc.nr_of_cells; ++i) {
        const cell_playback_t &playback = pgc.cell_playback[i];
        if (indexOfCell)
            indexOfCell->push_back(playsOnFirstAngle(playback) ? int(cells.size()) : -1);
        if (!playsOnFirstAngle(playback) || playback.last_sector < playback.first_sector)
            continue;
        cells.push_back({playback.first_sector, playback.last_sector,
                         tableTimeMs(toTableTime(playback.playback_time))});
    }
    return cells;
}

void ChainWalk::readTitle(Title &title) const
{
    const vts_ptt_srpt_t *parts = m_ifo.vts_ptt_srpt;
    if (!parts || title.titleInSet < 1 || title.titleInSet > parts->nr_of_srpts)
        return;
    const ttu_t &unit = parts->title[title.titleInSet - 1];
    std::vector<int> chains; // in the order the parts first name them
    std::map<int, std::int64_t> chainStart;
    std::int64_t total = 0;
    for (int p = 0; p < unit.nr_of_ptts; ++p) {
        const int n = unit.ptt[p].pgcn;
        const pgc_t *pgc = chain(n);
        if (!pgc || chainStart.count(n))
            continue;
        chainStart[n] = total;
        chains.push_back(n);
        for (const Cell &cell : cellsOf(*pgc)) {
            appendRange(title.sectors, cell.firstSector, cell.lastSector);
            total += cell.durationMs;
        }
    }
    title.durationMs = total;
    for (int p = 0; p < unit.nr_of_ptts; ++p) {
        const pgc_t *pgc = chain(unit.ptt[p].pgcn);
        const int program = unit.ptt[p].pgn;
        if (!pgc || !pgc->program_map || program < 1 || program > pgc->nr_of_programs)
            continue;
        std::vector<int> indexOfCell;
        const std::vector<Cell> cells = cellsOf(*pgc, &indexOfCell);
        const int firstCell = pgc->program_map[program - 1] - 1;
        std::int64_t start = chainStart[unit.ptt[p].pgcn];
        for (int c = 0; c < firstCell && c < int(indexOfCell.size()); ++c) {
            if (indexOfCell[c] >= 0)
                start += cells[indexOfCell[c]].durationMs;
        }
        title.chapters.push_back({start});
    }
}

void ChainWalk::splitCellsOverPieces(std::vector<Piece> &pieces, const ElapsedAt &elapsedAt) const
{
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::int64_t> cells;
    const pgcit_t *table = m_ifo.vts_pgcit;
    for (int n = 1; table && n <= table->nr_of_pgci_srp; ++n) {
        if (const pgc_t *pgc = chain(n)) {
            for (const Cell &cell : cellsOf(*pgc))
                cells.emplace(std::make_pair(cell.firstSector, cell.lastSector), cell.durationMs);
        }
    }
    for (const auto &[range, duration] : cells) {
        std::int64_t done = 0; // elapsed time of the cell at the previous boundary
        for (Piece &piece : pieces) {
            const std::uint32_t begin = piece.firstSector;
            const std::uint32_t end = begin + std::uint32_t(piece.sizeBytes / sectorSize);
            if (range.second < begin || range.first >= end)
                continue;
            std::int64_t upTo = duration;
            if (range.second >= end)
                upTo = std::clamp(elapsedAt(end), done, duration);
            piece.durationMs += upTo - done;
            done = upTo;
        }
    }
}

void ChainWalk::mapToPieces(Title &title, std::vector<Piece> &pieces)
{
    for (const SectorRange &range : title.sectors) {
        for (Piece &piece : pieces) {
            const std::int64_t begin = piece.firstSector;
            const std::int64_t end = begin + piece.sizeBytes / sectorSize;
            const std::int64_t first = std::max<std::int64_t>(range.firstSector, begin);
            const std::int64_t last = std::min<std::int64_t>(range.lastSector, end - 1);
            if (first > last)
                continue;
            title.ranges.push_back(
                {piece.path, (first - begin) * sectorSize, (last + 1 - begin) * sectorSize});
            if (std::find(piece.titles.begin(), piece.titles.end(), title.number) ==
                piece.titles.end())
                piece.titles.push_back(title.number);
        }
    }
}

} // namespace dvd
