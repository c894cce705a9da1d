#include "Disc.h"

#include "DiscLoader.h"
#include "Log.h"
#include "MainTitleChoice.h"
#include "NavigationWalk.h"
#include "TablesChild.h"

#include <dvdread/dvd_reader.h>

namespace dvd
{

OpenResult Disc::open(const std::string &source)
{
    return open(source, {});
}

OpenResult Disc::open(const std::string &source, const OpenOptions &options)
{
    if (const std::string &program = tablesProgram(); !program.empty())
        return openInChild(program, source, options);
    return DiscLoader::load(source, options);
}

const MainTitle &Disc::mainTitle() const
{
    std::call_once(m_mainTitleOnce, [this] {
        if (!m_allTitleSets)
            return;
        const MainTitleChoice choice(m_titles, m_titleSets);
        NavigationWalk walk(m_tablesPath.empty() ? m_openPath : m_tablesPath,
                            [&choice](int title) { return choice.playsAsFilm(title); }, {});
        m_mainTitle = choice.choose(walk.run());
        log(LogLevel::Info, m_source + ": " + walk.outcome());
    });
    return m_mainTitle;
}

std::string Disc::identity() const
{
    // DVDDiscID reads the tables again: once, and where they were read.
    std::call_once(m_identityOnce, [this] {
        unsigned char id[16];
        const std::shared_ptr<dvd_reader_s> reader = this->reader();
        if (!reader || DVDDiscID(reader.get(), id) != 0)
            return;
        static constexpr char digits[] = "0123456789abcdef";
        for (const unsigned char byte : id) {
            m_identity += digits[byte >> 4];
            m_identity += digits[byte & 15];
        }
    });
    return m_identity;
}

const Title *Disc::title(int number) const
{
    for (const Title &title : m_titles) {
        if (title.number == number)
            return &title;
    }
    return nullptr;
}

const TitleSet *Disc::titleSet(int number) const
{
    for (const TitleSet &set : m_titleSets) {
        if (set.number == number)
            return &set;
    }
    return nullptr;
}

const Piece *Disc::piece(int titleSet, int number) const
{
    const TitleSet *set = this->titleSet(titleSet);
    if (!set)
        return nullptr;
    for (const Piece &piece : set->pieces) {
        if (piece.number == number)
            return &piece;
    }
    return nullptr;
}

std::unique_ptr<SectorReader> Disc::openTitle(int number) const
{
    const Title *title = this->title(number);
    if (!title)
        return nullptr;
    std::unique_ptr<SectorReader> reader = openSectors(title->titleSet, title->sectors);
    if (reader)
        reader->setDurationMs(title->durationMs);
    return reader;
}

std::unique_ptr<SectorReader> Disc::openPiece(int titleSet, int number) const
{
    const Piece *piece = this->piece(titleSet, number);
    if (!piece || piece->sizeBytes < sectorSize)
        return nullptr;
    const auto sectors = std::uint32_t(piece->sizeBytes / sectorSize);
    std::unique_ptr<SectorReader> reader =
        openSectors(titleSet, {{piece->firstSector, piece->firstSector + sectors - 1}});
    if (reader)
        reader->setDurationMs(piece->durationMs);
    return reader;
}

std::shared_ptr<dvd_reader_s> Disc::reader() const
{
    std::lock_guard lock(m_readerLock);
    if (!m_reader && !m_openPath.empty())
        m_reader = DiscLoader::openReader(m_openPath);
    return m_reader;
}

std::unique_ptr<SectorReader> Disc::openSectors(int titleSet, std::vector<SectorRange> ranges) const
{
    const std::shared_ptr<dvd_reader_s> reader = this->reader();
    if (!reader || !this->titleSet(titleSet))
        return nullptr;
    dvd_file_t *file = DVDOpenFile(reader.get(), titleSet, DVD_READ_TITLE_VOBS);
    if (!file)
        return nullptr;
    const auto units = m_unitStarts.find(titleSet);
    return std::unique_ptr<SectorReader>(
        new SectorReader(reader, file, titleSet, std::move(ranges),
                         units == m_unitStarts.end() ? nullptr : units->second));
}

} // namespace dvd
