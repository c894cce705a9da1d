// The engine with the real launcher on a DVD-Video folder whose first title
// spans two pieces: the loading order, the durations the list shows, and
// the progress of converting the piece that holds the end of one title and
// the whole of the next.
#include "../engine/EngineTestSupport.h"
#include "ConvertEng.h"
#include "DvdTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

using namespace dvdtest;
using enginetest::waitForEnd;

namespace
{

// " HH:MM:SS" as the list shows it, in seconds; -1 when it is no such text.
int seconds(const QString &text)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() != 3)
        return -1;
    return (parts[0].toInt() * 60 + parts[1].toInt()) * 60 + parts[2].toInt();
}

} // namespace

class TestDvdEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(ConvertEng::makeConverterPath()).isExecutable(),
                 "the converter launcher is not built");
        QVERIFY2(QFileInfo::exists(dvdFixture("big/VIDEO_TS/VTS_01_2.VOB")), "fixtures missing");
    }

    void loadingListsThePiecesInOrderWithTheirDurations()
    {
        ConvertEng engine;
        engine.clear();
        engine.scanFolder(QStringLiteral(".VOB"), dvdFixture("big"));
        const QString ts = dvdFixture("big/VIDEO_TS/");
        QStringList listed;
        for (const ConvertJob *job : engine.m_jobs)
            listed << job->source;
        QCOMPARE(listed,
                 QStringList({ts + "VTS_01_1.VOB", ts + "VTS_01_2.VOB", ts + "VTS_02_1.VOB"}));

        engine.m_outputFolder.clear();
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 120000));
        QCOMPARE(engine.m_mediaInfos.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const MediaInfo &info = engine.m_mediaInfos[i];
            QCOMPARE(info.formatText, QStringLiteral(" MPEG2"));
            // The list shows whole seconds, cut off.
            const qint64 counted =
                framesToMs(countVideoPackets(listed[i]), dvd::VideoStandard::Pal) / 1000;
            QVERIFY2(qAbs(seconds(info.durationText) - counted) <= 1,
                     qPrintable(QStringLiteral("%1: listed %2, packets %3 s")
                                    .arg(listed[i], info.durationText)
                                    .arg(counted)));
        }
    }

    void convertingTwoTitlesOfOnePieceRisesTo100()
    {
        QTemporaryDir out;
        ConvertEng engine;
        engine.addJob(dvdFixture("big/VIDEO_TS/VTS_01_2.VOB"));
        engine.m_outputFolder = out.path();
        engine.m_arguments = QStringLiteral(
            "-f avi -vcodec mpeg4 -vf scale=320:240 -b:v 800k -acodec libmp3lame -b:a 128k -ac 2");
        engine.m_extension = QStringLiteral("avi");
        engine.m_mode = ModeConvert;
        QList<int> seen;
        engine.start();
        QVERIFY(waitForEnd(engine, 300000, [&] {
            ConvertJob job;
            if (engine.getCurrentJob(job) && (seen.isEmpty() || seen.last() != job.percent))
                seen << job.percent;
        }));
        const ConvertJob *job = engine.m_jobs[0];
        const qint64 counted =
            framesToMs(countVideoPackets(job->source), dvd::VideoStandard::Pal) / 1000;
        QVERIFY2(qAbs(job->duration - counted) <= 1, qPrintable(QString::number(job->duration)));
        QCOMPARE(job->percent, 100);
        qInfo("percentages seen: %s", qPrintable([&] {
                  QStringList texts;
                  for (int p : seen)
                      texts << QString::number(p);
                  return texts.join(u' ');
              }()));
        // Steadily: never back, no long stretch at 0 or 100, no big jump.
        int between = 0;
        for (int i = 1; i < seen.size(); ++i) {
            QVERIFY2(seen[i] >= seen[i - 1], "the percentage went down");
            QVERIFY2(seen[i] - seen[i - 1] <= 30, "the percentage jumped");
        }
        for (int p : seen)
            between += p > 0 && p < 100;
        QVERIFY2(between >= 4, qPrintable(QStringLiteral("too few steps: %1").arg(between)));
    }
};

QTEST_GUILESS_MAIN(TestDvdEngine)
#include "tst_dvd_engine_e2e.moc"
