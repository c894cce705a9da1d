#include "NavPackClock.h"

#include "DiscTypes.h"
#include "Log.h"
#include "TableAttributes.h"
#include "TableTime.h"

#include <algorithm>
#include <string>

#include <dvdread/nav_read.h>

namespace dvd
{

NavPackClock::NavPackClock(dvd_reader_t *reader, int titleSet, const vobu_admap_t *map)
    : m_reader(reader), m_titleSet(titleSet), m_map(map)
{
}

NavPackClock::~NavPackClock()
{
    if (m_vobs)
        DVDCloseFile(m_vobs);
}

std::int64_t NavPackClock::elapsedAt(std::uint32_t sector)
{
    if (!m_map || !m_map->vobu_start_sectors)
        return 0;
    if (!m_vobs)
        m_vobs = DVDOpenFile(m_reader, m_titleSet, DVD_READ_TITLE_VOBS);
    if (!m_vobs)
        return 0;
    const std::size_t count = (m_map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
    const std::uint32_t *starts = m_map->vobu_start_sectors;
    const std::uint32_t *after = std::upper_bound(starts, starts + count, sector);
    if (after == starts)
        return 0;
    unsigned char pack[sectorSize];
    if (DVDReadBlocks(m_vobs, int(after[-1]), 1, pack) != 1) {
        log(LogLevel::Warning, "cannot read the navigation pack at sector " +
                                   std::to_string(after[-1]) + " of title set " +
                                   std::to_string(m_titleSet));
        return 0;
    }
    dsi_t dsi;
    navRead_DSI(&dsi, pack + DSI_START_BYTE);
    return tableTimeMs(toTableTime(dsi.dsi_gi.c_eltm));
}

} // namespace dvd
