// Converts a short DVD title with every preset of the catalogue, through the
// engine and the launcher exactly as the program does, and checks what comes
// out: the container the extension promises, the codecs the options ask for,
// and the length of the source. A second title, whose audio steps back where
// its two pieces meet, goes through every preset as well, and each of its
// targets that encodes its streams must then read back without a single
// error.
#include "ConvertEng.h"
#include "Fixture.h"
#include "MediaProbe.h"
#include "PresetCatalogue.h"
#include "PresetExpectation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <thread>

namespace
{

constexpr int parallelRuns = 2;
constexpr int conversionTimeoutMs = 240000;
constexpr int decodeTimeoutMs = 120000;

struct Probe {
    QStringList formats;
    QString brand;
    QString videoCodec;
    QString audioCodec;
    bool hasAudio = false;
    double duration = -1;
};

struct Outcome {
    QString label;
    QString problem; // empty when the preset passed
    QString summary;
};

using testsupport::fixture;

bool probe(const QString &path, Probe &result)
{
    const QJsonObject info = testsupport::ffprobe(path, {"-show_format", "-show_streams"}, 60000);
    if (info.isEmpty())
        return false;
    const QJsonObject format = info.value("format").toObject();
    result.formats = format.value("format_name").toString().split(u',');
    result.brand = format.value("tags").toObject().value("major_brand").toString();
    bool ok = false;
    result.duration = format.value("duration").toString().toDouble(&ok);
    if (!ok)
        result.duration = -1;
    for (const QJsonValue &value : info.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value("codec_type").toString();
        if (type == u"video" && result.videoCodec.isEmpty())
            result.videoCodec = stream.value("codec_name").toString();
        if (type == u"audio" && !result.hasAudio) {
            result.hasAudio = true;
            result.audioCodec = stream.value("codec_name").toString();
        }
    }
    return true;
}

// Runs one conversion through an engine of its own and answers the target.
QString convert(const QString &source, const QString &arguments, const QString &extension,
                const QString &folder, QString &problem)
{
    ConvertEng engine;
    engine.addJob(source);
    engine.m_arguments = arguments;
    engine.m_extension = extension;
    engine.m_outputFolder = folder;
    engine.m_mode = ModeConvert;
    engine.start();
    QElapsedTimer clock;
    clock.start();
    while (engine.m_state != StateFinished && engine.m_state != StateStopped) {
        if (clock.elapsed() > conversionTimeoutMs) {
            problem = QStringLiteral("no end after %1 s").arg(conversionTimeoutMs / 1000);
            engine.requestStop();
            return {};
        }
        QThread::msleep(50);
    }
    return engine.m_jobs[0]->target;
}

QString check(const QString &target, const QString &extension, PresetExpectation expected,
              const Probe &source, QString &summary)
{
    const double sourceDuration = source.duration;
    if (expected.videoCodec == u"copy")
        expected.videoCodec = source.videoCodec;
    if (expected.audioCodec == u"copy")
        expected.audioCodec = source.audioCodec;
    if (!target.endsWith(u'.' + extension))
        return QStringLiteral("target %1 lacks the extension").arg(target);
    const QFileInfo file(target);
    if (!file.exists())
        return QStringLiteral("no target");
    if (file.size() == 0)
        return QStringLiteral("empty target");
    Probe found;
    if (!probe(target, found))
        return QStringLiteral("ffprobe cannot read the target");
    summary =
        QStringLiteral("%1%2 %3+%4 %5 s")
            .arg(found.formats.join(u','),
                 found.brand.isEmpty() ? QString() : QStringLiteral(" \"") + found.brand + u'"',
                 found.videoCodec, found.audioCodec)
            .arg(found.duration, 0, 'f', 2);
    if (!found.formats.contains(expected.format))
        return QStringLiteral("container %1, not %2")
            .arg(found.formats.join(u','), expected.format);
    if (!expected.brands.isEmpty() && !expected.brands.contains(found.brand))
        return QStringLiteral("brand \"%1\", not one of %2")
            .arg(found.brand, expected.brands.join(u'/'));
    if (found.videoCodec != expected.videoCodec)
        return QStringLiteral("video %1, not %2").arg(found.videoCodec, expected.videoCodec);
    if (expected.audio && !found.hasAudio)
        return QStringLiteral("no audio stream");
    if (!expected.audioCodec.isEmpty() && found.audioCodec != expected.audioCodec)
        return QStringLiteral("audio %1, not %2").arg(found.audioCodec, expected.audioCodec);
    if (found.duration < 0 || qAbs(found.duration - sourceDuration) > 1.0)
        return QStringLiteral("duration %1 s, source %2 s")
            .arg(found.duration, 0, 'f', 2)
            .arg(sourceDuration, 0, 'f', 2);
    return {};
}

// Decodes the whole target as a player would and answers what ffmpeg
// reports at its error level (timestamps that go back, broken frames), or an
// empty string when the target reads cleanly.
QString decodingErrors(const QString &target)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-nostdin", "-v", "error", "-i", target, "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(decodeTimeoutMs)) {
        ffmpeg.kill();
        ffmpeg.waitForFinished();
        return QStringLiteral("decoding did not end");
    }
    const QString output = QString::fromLocal8Bit(ffmpeg.readAll()).trimmed();
    if (!output.isEmpty())
        return QStringLiteral("decoding reports: ") + output.section(u'\n', 0, 0);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return QStringLiteral("decoding failed with status %1").arg(ffmpeg.exitCode());
    return {};
}

} // namespace

class TestPresetSweep : public QObject
{
    Q_OBJECT

private slots:
    void everyPresetConverts() { sweep(QStringLiteral("title2s.VOB"), false); }

    // DVD audio steps back at cell boundaries and damaged sectors; every
    // target must still have timestamps that only go forward.
    void everyPresetKeepsTimestampsOnAudioJump() { sweep(QStringLiteral("audiojump.VOB"), true); }

private:
    // Runs every preset on the fixture source, two at a time, prints one line
    // per preset and the tally, and fails when any preset failed.
    void sweep(const QString &sourceName, bool decodeTargets)
    {
        const QString source = fixture(sourceName);
        QVERIFY2(QFileInfo::exists(source), "fixtures missing");
        QVERIFY2(QFileInfo(ConvertEng::makeConverterPath()).isExecutable(),
                 "core/torvane is not built");
        Probe original;
        QVERIFY(probe(source, original) && original.duration > 0);

        PresetCatalogue catalogue;
        BuildPresetCatalogue(catalogue);
        struct Item {
            int category, preset;
        };
        QList<Item> items;
        for (int c = 0; c < catalogue.CategoryCount(); ++c)
            for (int p = 0; p < catalogue.PresetCount(c); ++p)
                items.append({c, p});
        QCOMPARE(items.size(), 103);

        QTemporaryDir output;
        QVERIFY(output.isValid());
        QList<Outcome> outcomes(items.size());
        std::atomic<qsizetype> next{0};
        auto work = [&] {
            for (qsizetype i = next++; i < items.size(); i = next++) {
                const auto [c, p] = items[i];
                Outcome &outcome = outcomes[i];
                outcome.label =
                    catalogue.CategoryName(c) + QStringLiteral(" / ") + catalogue.PresetName(c, p);
                const QString arguments = catalogue.PresetArguments(c, p);
                const QString extension = catalogue.PresetExtension(c, p);
                const QString folder = output.filePath(QStringLiteral("%1-%2").arg(c).arg(p));
                QDir().mkpath(folder);
                const QString target =
                    convert(source, arguments, extension, folder, outcome.problem);
                if (outcome.problem.isEmpty())
                    outcome.problem = check(target, extension, expectationFor(arguments, extension),
                                            original, outcome.summary);
                // A stream copy keeps the source's timestamps as they are, the
                // step back included: there is nothing for it to mend.
                const bool copies = arguments.contains(QStringLiteral("-c:v copy")) ||
                                    arguments.contains(QStringLiteral("-c:a copy"));
                if (outcome.problem.isEmpty() && decodeTargets && copies)
                    outcome.summary += QStringLiteral(" (streams copied, decoding not checked)");
                else if (outcome.problem.isEmpty() && decodeTargets)
                    outcome.problem = decodingErrors(target);
            }
        };
        std::vector<std::thread> workers;
        for (int i = 0; i < parallelRuns; ++i)
            workers.emplace_back(work);
        for (std::thread &worker : workers)
            worker.join();

        int passed = 0;
        for (const Outcome &outcome : outcomes) {
            const bool ok = outcome.problem.isEmpty();
            passed += ok;
            std::printf("%s %s: %s\n", ok ? "PASS" : "FAIL", qPrintable(outcome.label),
                        qPrintable(ok ? outcome.summary : outcome.problem));
        }
        const int failed = int(outcomes.size()) - passed;
        std::printf("%s: %d passed, %d failed\n", qPrintable(sourceName), passed, failed);
        std::fflush(stdout);
        QCOMPARE(failed, 0);
    }
};

QTEST_GUILESS_MAIN(TestPresetSweep)
#include "tst_preset_sweep.moc"
