#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// What ffprobe says of a file or an input URL, for every test that measures
// media: one runner and one packet counter.
namespace testsupport
{

// Counting the packets of a whole title reads all of it.
inline constexpr int kProbeTimeoutMs = 240000;

// ffprobe's JSON answer ("-v error -of json", then options, then input);
// an empty object when it cannot read the input.
inline QJsonObject ffprobe(const QString &input, const QStringList &options,
                           int timeoutMs = kProbeTimeoutMs)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("ffprobe"),
                  QStringList{"-v", "error", "-of", "json"} + options + QStringList{input});
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

// The first entry of "streams" in an answer; empty when there is none.
inline QJsonObject firstStream(const QJsonObject &answer)
{
    return answer.value(QStringLiteral("streams")).toArray().at(0).toObject();
}

// The first video stream of input with its packets counted: entries names
// what to show of it besides "nb_read_packets" (say "r_frame_rate").
inline QJsonObject countedVideoStream(const QString &input, const QString &entries = QString())
{
    QString shown = QStringLiteral("stream=nb_read_packets");
    if (!entries.isEmpty())
        shown += u',' + entries;
    return firstStream(
        ffprobe(input, {"-select_streams", "v:0", "-count_packets", "-show_entries", shown}));
}

// Video packets (one per frame) of input's first video stream, -1 when it
// cannot be read.
inline qint64 videoPackets(const QString &input)
{
    bool ok = false;
    const qint64 count = countedVideoStream(input)
                             .value(QStringLiteral("nb_read_packets"))
                             .toString()
                             .toLongLong(&ok);
    return ok ? count : -1;
}

// A rate such as "30000/1001" as a number; 0 when it is none.
inline double rateValue(const QString &rate)
{
    const QStringList parts = rate.split(u'/');
    if (parts.size() != 2 || parts[1].toDouble() <= 0)
        return 0;
    return parts[0].toDouble() / parts[1].toDouble();
}

// The container's duration in seconds, -1 when unreadable.
inline double probedDuration(const QString &input)
{
    bool ok = false;
    const double seconds = ffprobe(input, {"-show_entries", "format=duration"})
                               .value(QStringLiteral("format"))
                               .toObject()
                               .value(QStringLiteral("duration"))
                               .toString()
                               .toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace testsupport
