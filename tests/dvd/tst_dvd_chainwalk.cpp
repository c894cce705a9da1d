// A title's walk over its program chain, on tables built in memory: cells
// "first-last:seconds" (a: first angle of an angle block, x: another angle),
// programs by their first cell, one part per program.
#include "ChainWalk.h"

#include <QStringList>
#include <QTest>

class TestDvdChainWalk : public QObject
{
    Q_OBJECT

private slots:
    void title_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("programs");
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<QString>("chapters");
        QTest::addColumn<QString>("sectors");
        QTest::newRow("first angle only") << "0-99:10 a100-149:5 x150-199:5 200-399:20"
                                          << "1 4" << qint64(35000) << "0 15000"
                                          << "0-149 200-399";
        QTest::newRow("a gap between cells") << "0-99:10 300-399:10"
                                             << "1 2" << qint64(20000) << "0 10000"
                                             << "0-99 300-399";
    }

    void title()
    {
        QFETCH(QString, cells);
        QFETCH(QString, programs);
        std::vector<cell_playback_t> playback;
        for (QString cell : cells.split(' ')) {
            cell_playback_t &one = playback.emplace_back();
            one = {};
            if (cell[0] == 'a' || cell[0] == 'x') {
                one.block_type = BLOCK_TYPE_ANGLE_BLOCK;
                one.block_mode = cell[0] == 'a' ? BLOCK_MODE_FIRST_CELL : 0;
                cell.remove(0, 1);
            }
            one.first_sector = cell.section('-', 0, 0).toUInt();
            one.last_sector = cell.section('-', 1).section(':', 0, 0).toUInt();
            const int s = cell.section(':', 1).toInt(); // under a minute, 25 frames/s
            one.playback_time = {0, 0, std::uint8_t((s / 10) << 4 | (s % 10)), 0x40};
        }
        std::vector<std::uint8_t> map;
        std::vector<ptt_info_t> parts;
        for (const QString &n : programs.split(' ')) {
            map.push_back(std::uint8_t(n.toInt()));
            parts.push_back({1, std::uint16_t(map.size())});
        }
        pgc_t chain{};
        chain.nr_of_cells = std::uint8_t(playback.size());
        chain.cell_playback = playback.data();
        chain.nr_of_programs = std::uint8_t(map.size());
        chain.program_map = map.data();
        pgci_srp_t entry{};
        entry.pgc = &chain;
        pgcit_t table{1, 0, 0, &entry, 0};
        ttu_t unit{std::uint16_t(parts.size()), parts.data()};
        vts_ptt_srpt_t titles{1, 0, 0, &unit, nullptr};
        ifo_handle_t ifo{};
        ifo.vts_pgcit = &table;
        ifo.vts_ptt_srpt = &titles;

        dvd::Title title;
        title.titleInSet = 1;
        dvd::ChainWalk(ifo).readTitle(title);
        QTEST(qint64(title.durationMs), "durationMs");
        QStringList starts;
        for (const dvd::Chapter &chapter : title.chapters)
            starts << QString::number(chapter.startMs);
        QTEST(starts.join(' '), "chapters");
        QStringList sectors;
        for (const dvd::SectorRange &range : title.sectors)
            sectors << QStringLiteral("%1-%2").arg(range.firstSector).arg(range.lastSector);
        QTEST(sectors.join(' '), "sectors");
    }
};

QTEST_GUILESS_MAIN(TestDvdChainWalk)
#include "tst_dvd_chainwalk.moc"
