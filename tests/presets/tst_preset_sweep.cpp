// Converts a short DVD title with every preset of the catalogue, through the
// engine and the launcher exactly as the program does, and checks what comes
// out: the container the extension promises, the codecs the options ask for,
// and the length of the source.
#include "ConvertEng.h"
#include "Fixture.h"
#include "PresetCatalogue.h"
#include "PresetExpectation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
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
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    if (!ffprobe.waitForFinished(60000) || ffprobe.exitCode() != 0)
        return false;
    const QJsonObject info = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
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

QString check(const QString &target, const QString &extension, const PresetExpectation &expected,
              double sourceDuration, QString &summary)
{
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

} // namespace

class TestPresetSweep : public QObject
{
    Q_OBJECT

private slots:
    void everyPresetConverts()
    {
        const QString source = fixture(QStringLiteral("title2s.VOB"));
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
        QCOMPARE(items.size(), 101);

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
                                            original.duration, outcome.summary);
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
        std::printf("%d passed, %d failed\n", passed, failed);
        std::fflush(stdout);
        QCOMPARE(failed, 0);
    }
};

QTEST_GUILESS_MAIN(TestPresetSweep)
#include "tst_preset_sweep.moc"
