#pragma once

// What the title tests measure in converted files, with ffprobe and ffmpeg:
// frames, chapters, stream languages and the tone of a sound track, and the
// DVD folders they convert from.
#include "Fixture.h"
#include "MediaProbe.h"
#include "TitleSource.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>

#include <sys/stat.h>

namespace titletest
{

using testsupport::dvdFixture;
using testsupport::filmFixture;
using testsupport::titleFixture;
using testsupport::videoPackets;

// The folder with the hostile name, holding a copy of ntsc/.
inline QString hostileFolder()
{
    const QDir parent(titleFixture(QStringLiteral("hostile")));
    const QStringList entries = parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return entries.isEmpty() ? QString() : parent.filePath(entries.first());
}

// What make-dvd-fixtures.sh puts on its discs, by construction: the long
// title of big/ is 48 runs of a 20 s clip, then a 12 s title (660 Hz) in the
// same title set, then a 10 s 16:9 title with an English 330 Hz and a German
// 990 Hz track; ntsc/ holds titles of 8, 6 and 5 s at 30000/1001 frames per
// second, French, 550, 770 and 880 Hz.
inline constexpr int kBigTitleFrames = 48 * 20 * 25;
inline constexpr int kBigTitleTone = 440;
inline constexpr int kSecondTitleFrames = 12 * 25;
inline constexpr int kSecondTitleTone = 660;
inline constexpr int kWideTitleFrames = 10 * 25;
inline constexpr int kWideTitleTone = 330;
inline constexpr int kWideTitleSecondTone = 990;
// channels/ of make-title-fixtures.sh: English stereo at 330 Hz first.
inline constexpr int kChannelsTitleTone = 330;
inline int ntscFrames(int seconds)
{
    return int(std::lround(seconds * 30000.0 / 1001.0));
}

inline QString source(const QString &disc, int title, const QString &name = QStringLiteral("T"))
{
    return QString::fromStdString(titles::makeTitleSource(
        {QFile::encodeName(disc).toStdString(), title, name.toStdString()}));
}

struct Run {
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

inline Run run(const QString &program, const QStringList &arguments, int timeoutMs = 300000,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.output = process.readAll();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

inline QJsonObject probe(const QString &file, const QStringList &what)
{
    return testsupport::ffprobe(file, what);
}

// Chapter starts in ms.
inline QList<qint64> chapterStarts(const QString &file)
{
    QList<qint64> starts;
    const QJsonArray chapters =
        probe(file, {"-show_chapters"}).value(QStringLiteral("chapters")).toArray();
    for (const QJsonValue &chapter : chapters) {
        starts << std::llround(
            chapter.toObject().value(QStringLiteral("start_time")).toString().toDouble() * 1000);
    }
    return starts;
}

// The language tags of the file's audio streams, in order.
inline QStringList audioLanguages(const QString &file)
{
    QStringList languages;
    const QJsonArray streams =
        probe(file, {"-select_streams", "a", "-show_entries", "stream=index:stream_tags=language"})
            .value(QStringLiteral("streams"))
            .toArray();
    for (const QJsonValue &stream : streams) {
        languages << stream.toObject()
                         .value(QStringLiteral("tags"))
                         .toObject()
                         .value(QStringLiteral("language"))
                         .toString();
    }
    return languages;
}

// The frequency of the tone of the first audio stream between from and
// from + length seconds, in Hz, from its zero crossings; 0 when there is no
// sound there.
inline double toneFrequency(const QString &file, double from, double length)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-ss", QString::number(from), "-t", QString::number(length), "-i",
                  file, "-map", "0:a:0", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
    if (!ffmpeg.waitForFinished(120000))
        return 0;
    const QByteArray pcm = ffmpeg.readAllStandardOutput();
    const auto *samples = reinterpret_cast<const std::int16_t *>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    if (count < 4800)
        return 0;
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    }
    return crossings / 2.0 / (double(count) / 48000.0);
}

// The colour (0xRRGGBB) at (x, y) of the picture shown `seconds` into the
// file, with its subtitle stream `subtitle` (counted among its subtitle
// streams) laid over it when that is not -1, the forced pictures only when
// forcedOnly is set; -1 when no picture comes out.
inline int pictureColour(const QString &file, double seconds, int x, int y, int subtitle = -1,
                         bool forcedOnly = false)
{
    const QJsonArray streams =
        probe(file, {"-select_streams", "v:0", "-show_entries", "stream=width,height"})
            .value(QStringLiteral("streams"))
            .toArray();
    const int width = streams.isEmpty() ? 0 : streams.first().toObject().value("width").toInt();
    QStringList arguments = {"-v", "error", "-forced_subs_only", forcedOnly ? "1" : "0",
                             "-i", file};
    if (subtitle >= 0)
        arguments << "-filter_complex" << QStringLiteral("[0:v:0][0:s:%1]overlay[v]").arg(subtitle)
                  << "-map"
                  << "[v]";
    else
        arguments << "-map"
                  << "0:v:0";
    arguments << "-ss" << QString::number(seconds) << "-frames:v"
              << "1"
              << "-pix_fmt"
              << "rgb24"
              << "-f"
              << "rawvideo"
              << "-";
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (width <= 0 || !ffmpeg.waitForFinished(120000))
        return -1;
    const QByteArray rgb = ffmpeg.readAllStandardOutput();
    const qsizetype at = (qsizetype(y) * width + x) * 3;
    if (at + 2 >= rgb.size())
        return -1;
    return (uchar(rgb[at]) << 16) | (uchar(rgb[at + 1]) << 8) | uchar(rgb[at + 2]);
}

// Whether two colours differ by at most `tolerance` in each channel.
inline bool nearColour(int colour, int expected, int tolerance = 24)
{
    if (colour < 0)
        return false;
    for (int shift : {16, 8, 0}) {
        if (std::abs(((colour >> shift) & 0xff) - ((expected >> shift) & 0xff)) > tolerance)
            return false;
    }
    return true;
}

// The film/ disc of make-film-fixtures.sh: title 3 is the film, 40 s, its
// tracks English commentary (300 Hz), English (440 Hz), French (660 Hz);
// subtitle boxes at x 80-639, normal ones at y 440-489, forced ones at
// y 60-109, English orange (4-8 s normal, 12-16 s forced), French blue
// (24-28 s normal, 30-34 s forced), colours from title 3's palette.
inline constexpr int kFilmTitle = 3;
inline constexpr int kFilmEnglishTone = 440;
inline constexpr int kFilmFrenchTone = 660;
inline constexpr int kEnglishColour = 0xff8000;
inline constexpr int kFrenchColour = 0x4060ff;
inline constexpr int kBoxX = 360;
inline constexpr int kNormalY = 465;
inline constexpr int kForcedY = 85;

// A copy of the DVD folder original in copy: its files linked, the damaged
// ones made anew, each "cut:FILE:BYTES" (its first bytes) or "fifo:FILE".
inline bool makeDamagedCopy(const QString &original, const QString &copy, const QStringList &damage)
{
    const QDir from(original + QStringLiteral("/VIDEO_TS"));
    QDir folder(copy);
    if (!folder.mkdir(QStringLiteral("VIDEO_TS")) || !folder.cd(QStringLiteral("VIDEO_TS")))
        return false;
    for (const QString &name : from.entryList(QDir::Files)) {
        if (!QFile::link(from.filePath(name), folder.filePath(name)))
            return false;
    }
    for (const QString &change : damage) {
        const QStringList parts = change.split(u':');
        const QString path = folder.filePath(parts.value(1));
        if (!QFile::remove(path))
            return false;
        if (parts[0] == u"fifo") {
            if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
                return false;
            continue;
        }
        QFile whole(from.filePath(parts.value(1)));
        QFile cut(path);
        if (!whole.open(QIODevice::ReadOnly) || !cut.open(QIODevice::WriteOnly) ||
            cut.write(whole.read(parts.value(2).toLongLong())) < 0)
            return false;
    }
    return true;
}

} // namespace titletest
