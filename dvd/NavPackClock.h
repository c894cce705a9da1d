#pragma once

#include <cstdint>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_types.h>

namespace dvd
{

// Reads the elapsed cell time at a sector of a title set's VOBs from the
// navigation pack of the unit (VOBU) holding it; opens the VOBs on first use.
class NavPackClock
{
public:
    NavPackClock(dvd_reader_t *reader, int titleSet, const vobu_admap_t *map);
    ~NavPackClock();
    NavPackClock(const NavPackClock &) = delete;
    NavPackClock &operator=(const NavPackClock &) = delete;

    // 0 when the unit or its pack cannot be read.
    std::int64_t elapsedAt(std::uint32_t sector);

private:
    dvd_reader_t *m_reader;
    int m_titleSet;
    const vobu_admap_t *m_map;
    dvd_file_t *m_vobs = nullptr;
};

} // namespace dvd
