// The walk over a title set's program chains, on tables built in memory:
// cells "first-last:seconds" (a: first angle of an angle block, x: another
// angle), chains separated by "|", parts "chain:program".
#include "ChainWalk.h"

#include <QStringList>
#include <QTest>

#include <deque>

namespace
{

struct Tables {
    std::deque<std::vector<cell_playback_t>> cells;
    std::deque<std::vector<std::uint8_t>> programs;
    std::deque<pgc_t> chains;
    std::vector<pgci_srp_t> entries;
    std::vector<ptt_info_t> parts;
    pgcit_t table{};
    ttu_t unit{};
    vts_ptt_srpt_t titles{};
    ifo_handle_t ifo{};

    Tables(const QString &chainText, const QString &programText, const QString &partText)
    {
        const QStringList programLists = programText.split('|');
        for (const QString &chain : chainText.split('|')) {
            std::vector<cell_playback_t> &list = cells.emplace_back();
            for (const QString &cell : chain.split(' ', Qt::SkipEmptyParts))
                list.push_back(cellFrom(cell));
            std::vector<std::uint8_t> &map = programs.emplace_back();
            for (const QString &n :
                 programLists.value(int(chains.size())).split(' ', Qt::SkipEmptyParts))
                map.push_back(std::uint8_t(n.toInt()));
            pgc_t &pgc = chains.emplace_back();
            pgc = {};
            pgc.nr_of_cells = std::uint8_t(list.size());
            pgc.cell_playback = list.data();
            pgc.nr_of_programs = std::uint8_t(map.size());
            pgc.program_map = map.data();
            entries.push_back({});
            entries.back().pgc = &pgc;
        }
        for (const QString &part : partText.split(' ', Qt::SkipEmptyParts))
            parts.push_back({std::uint16_t(part.section(':', 0, 0).toInt()),
                             std::uint16_t(part.section(':', 1, 1).toInt())});
        table.nr_of_pgci_srp = std::uint16_t(entries.size());
        table.pgci_srp = entries.data();
        unit.nr_of_ptts = std::uint16_t(parts.size());
        unit.ptt = parts.data();
        titles.nr_of_srpts = 1;
        titles.title = &unit;
        ifo.vts_pgcit = &table;
        ifo.vts_ptt_srpt = &titles;
    }

    static cell_playback_t cellFrom(QString text)
    {
        cell_playback_t cell{};
        if (text.startsWith('a') || text.startsWith('x')) {
            cell.block_type = BLOCK_TYPE_ANGLE_BLOCK;
            cell.block_mode = text.startsWith('a') ? BLOCK_MODE_FIRST_CELL : BLOCK_MODE_IN_BLOCK;
            text.remove(0, 1);
        }
        cell.first_sector = text.section('-', 0, 0).toUInt();
        cell.last_sector = text.section('-', 1).section(':', 0, 0).toUInt();
        const int seconds = text.section(':', 1).toInt();
        const auto bcd = [](int v) { return std::uint8_t((v / 10) << 4 | (v % 10)); };
        cell.playback_time = {0, bcd(seconds / 60), bcd(seconds % 60), 0x40}; // 25 frames/s
        return cell;
    }
};

QString rangesText(const std::vector<dvd::SectorRange> &ranges)
{
    QStringList out;
    for (const dvd::SectorRange &range : ranges)
        out << QStringLiteral("%1-%2").arg(range.firstSector).arg(range.lastSector);
    return out.join(' ');
}

} // namespace

class TestDvdChainWalk : public QObject
{
    Q_OBJECT

private slots:
    void title_data()
    {
        QTest::addColumn<QString>("chains");
        QTest::addColumn<QString>("programs");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<QString>("chapters");
        QTest::addColumn<QString>("sectors");
        QTest::newRow("first angle only") << "0-99:10 a100-149:5 x150-199:5 200-399:20"
                                          << "1 4"
                                          << "1:1 1:2" << qint64(35000) << "0 15000"
                                          << "0-149 200-399";
        QTest::newRow("a title over two chains") << "0-99:10|100-199:20"
                                                 << "1|1"
                                                 << "1:1 2:1" << qint64(30000) << "0 10000"
                                                 << "0-199";
        QTest::newRow("a part naming no chain is left out") << "0-99:10"
                                                            << "1"
                                                            << "1:1 3:1" << qint64(10000) << "0"
                                                            << "0-99";
        QTest::newRow("a chain named twice counts once") << "0-99:10 300-399:10"
                                                         << "1 2"
                                                         << "1:1 1:2" << qint64(20000) << "0 10000"
                                                         << "0-99 300-399";
    }

    void title()
    {
        QFETCH(QString, chains);
        QFETCH(QString, programs);
        QFETCH(QString, parts);
        const Tables tables(chains, programs, parts);
        dvd::Title title;
        title.titleInSet = 1;
        dvd::ChainWalk(tables.ifo).readTitle(title);
        QTEST(qint64(title.durationMs), "durationMs");
        QStringList starts;
        for (const dvd::Chapter &chapter : title.chapters)
            starts << QString::number(chapter.startMs);
        QTEST(starts.join(' '), "chapters");
        QTEST(rangesText(title.sectors), "sectors");
    }

    void pieces_data()
    {
        QTest::addColumn<QString>("chains");
        QTest::addColumn<qint64>("elapsedAtBoundary");
        QTest::addColumn<QString>("pieceMs");
        QTest::addColumn<QString>("ranges");
        QTest::newRow("cells inside their pieces")
            << "0-99:10 100-199:5" << qint64(-1) << "10000 5000"
            << "1:0-204800 2:0-204800";
        QTest::newRow("a cell across the boundary")
            << "0-149:10 150-199:5" << qint64(6000) << "6000 9000"
            << "1:0-204800 2:0-204800";
        QTest::newRow("an elapsed time past the cell is clamped")
            << "50-149:10" << qint64(99000) << "10000 0"
            << "1:102400-204800 2:0-102400";
    }

    void pieces()
    {
        QFETCH(QString, chains);
        QFETCH(qint64, elapsedAtBoundary);
        const Tables tables(chains, "1", "1:1");
        std::vector<dvd::Piece> pieces(2);
        for (int k = 0; k < 2; ++k) {
            pieces[k].path = std::to_string(k + 1);
            pieces[k].sizeBytes = 100 * dvd::sectorSize;
            pieces[k].firstSector = std::uint32_t(100 * k);
        }
        const dvd::ChainWalk walk(tables.ifo);
        walk.splitCellsOverPieces(
            pieces, [&](std::uint32_t sector) { return sector == 100 ? elapsedAtBoundary : -1; });
        QTEST(QStringLiteral("%1 %2").arg(pieces[0].durationMs).arg(pieces[1].durationMs),
              "pieceMs");
        dvd::Title title;
        title.number = 7;
        title.titleInSet = 1;
        walk.readTitle(title);
        dvd::ChainWalk::mapToPieces(title, pieces);
        QStringList ranges;
        for (const dvd::ByteRange &range : title.ranges)
            ranges << QStringLiteral("%1:%2-%3")
                          .arg(QString::fromStdString(range.path))
                          .arg(range.start)
                          .arg(range.end);
        QTEST(ranges.join(' '), "ranges");
        QCOMPARE(pieces[1].titles, std::vector<int>({7}));
    }
};

QTEST_GUILESS_MAIN(TestDvdChainWalk)
#include "tst_dvd_chainwalk.moc"
