// The pieces a DVD title is converted from: the job source that names it,
// the concat list of its bytes, its chapter file and its language code.
#include "ChapterMetadata.h"
#include "ConcatList.h"
#include "ConvertEng.h"
#include "LanguageCode.h"
#include "TitleSource.h"
#include "TrackRule.h"

#include <QTest>

using namespace titles;

namespace
{

// Audio tracks from "en:c,en,fr:d": a language with its kind, c for a
// commentary, d for an audio description, u for a kind the tables leave open.
std::vector<dvd::AudioStream> audioTracks(const QString &text)
{
    std::vector<dvd::AudioStream> tracks;
    for (const QString &track : text.split(u',', Qt::SkipEmptyParts)) {
        dvd::AudioStream audio;
        audio.language = track.section(u':', 0, 0).toStdString();
        const QString kind = track.section(u':', 1);
        audio.content = kind == u"c"   ? dvd::AudioContent::Commentary
                        : kind == u"d" ? dvd::AudioContent::VisuallyImpaired
                        : kind == u"u" ? dvd::AudioContent::Unspecified
                                       : dvd::AudioContent::Normal;
        tracks.push_back(audio);
    }
    return tracks;
}

// Subtitle streams from "en:f,fr": f for a stream the tables call forced.
std::vector<dvd::SubtitleStream> subtitleStreams(const QString &text)
{
    std::vector<dvd::SubtitleStream> streams;
    for (const QString &stream : text.split(u',', Qt::SkipEmptyParts)) {
        dvd::SubtitleStream subtitle;
        subtitle.language = stream.section(u':', 0, 0).toStdString();
        subtitle.content = stream.section(u':', 1) == u"f" ? dvd::SubtitleContent::Forced
                                                           : dvd::SubtitleContent::Normal;
        streams.push_back(subtitle);
    }
    return streams;
}

} // namespace

class TstTitleSource : public QObject
{
    Q_OBJECT

private slots:
    void sourceRoundTripsEveryDiscPath_data();
    void sourceRoundTripsEveryDiscPath();
    void sourceRejectsOtherTexts();
    void trackChoiceInTheSource_data();
    void trackChoiceInTheSource();
    void targetIsNamedAfterTheTitle();
    void defaultTracks_data();
    void defaultTracks();
    void fileNamesAreMadeSafe();
    void languageCodes();
    void chaptersAsMetadata();
    void chaptersStopAtABrokenStart();
    void concatListQuotesPaths();
};

void TstTitleSource::sourceRoundTripsEveryDiscPath_data()
{
    QTest::addColumn<QByteArray>("disc");
    QTest::newRow("plain") << QByteArray("/media/cdrom");
    QTest::newRow("blanks and quotes") << QByteArray("/home/a b/it's \"x\"/VIDEO_TS");
    QTest::newRow("colon and percent") << QByteArray("/x/a:b%41/c:7/d");
    QTest::newRow("line end") << QByteArray("/x/two\nlines\r/y");
    QTest::newRow("shell") << QByteArray("/x/$(rm -rf ~)`id`;|&/z");
    QTest::newRow("not utf-8") << QByteArray("/x/\xff\xfe\x80/img.iso");
    QTest::newRow("utf-8") << QByteArray("/x/Films \xc3\xa9t\xc3\xa9 \xe6\x98\xa0\xe7\x94\xbb");
}

void TstTitleSource::sourceRoundTripsEveryDiscPath()
{
    QFETCH(QByteArray, disc);
    const TitleSource source{disc.toStdString(), 12, "MY_MOVIE - Title 12"};
    const std::string text = makeTitleSource(source);
    // Only the name part follows the last slash; the disc is fully escaped.
    QVERIFY(text.find('\n') == std::string::npos);
    QVERIFY(text.find('\'') == std::string::npos);
    QCOMPARE(QByteArray::fromStdString(text.substr(text.rfind('/') + 1)),
             QByteArray("MY_MOVIE - Title 12.VOB"));

    const auto parsed = parseTitleSource(text);
    QVERIFY(parsed.has_value());
    QCOMPARE(QByteArray::fromStdString(parsed->disc), disc);
    QCOMPARE(parsed->title, 12);
    QCOMPARE(QByteArray::fromStdString(parsed->name), QByteArray("MY_MOVIE - Title 12"));
}

void TstTitleSource::sourceRejectsOtherTexts()
{
    for (const char *text : {"/media/cdrom/VIDEO_TS/VTS_01_1.VOB", "dvdtitle:", "dvdtitle:%2Fx:/n",
                             "dvdtitle:%2Fx:0/n.vob", "dvdtitle:%2Fx:-3/n.vob",
                             "dvdtitle:%2Fx:1a/n.vob", "dvdtitle:%2:1/n.vob", "dvdtitle::1/n.vob",
                             "dvdtitle:%zz:1/n.vob", "dvdtitle:%2Fx/1:n.vob", "DVDTITLE:%2Fx:1/n"})
        QVERIFY2(!parseTitleSource(text).has_value(), text);
}

void TstTitleSource::trackChoiceInTheSource_data()
{
    QTest::addColumn<QString>("choice"); // between the title number and the name
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<int>>("audio");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("subtitles"); // TrackChoice::Subtitles
    QTest::addColumn<int>("stream");
    const int byDefault = int(TrackChoice::Subtitles::Default);
    const int none = int(TrackChoice::Subtitles::None);
    const int stream = int(TrackChoice::Subtitles::Stream);
    QTest::newRow("no choice") << "" << true << QList<int>() << "" << byDefault << 0;
    QTest::newRow("everything") << ";audio=3,1;lang=fr;subtitles=2" << true << QList<int>{3, 1}
                                << "fr" << stream << 2;
    QTest::newRow("no subtitles") << ";subtitles=none" << true << QList<int>() << "" << none << 0;
    QTest::newRow("language only") << ";lang=de" << true << QList<int>() << "de" << byDefault << 0;
    for (const char *bad : {";", ";audio=", ";audio=0", ";audio=9", ";audio=1,1", ";audio=1,",
                            ";audio=x", ";lang=eng", ";lang=FR", ";subtitles=0", ";subtitles=33",
                            ";subtitles=", ";colour=1", ";audio=1;audio=2", "audio=1", ";audio=1;"})
        QTest::newRow(bad) << bad << false << QList<int>() << "" << byDefault << 0;
}

// The choice rides between the title number and the name, comes back as it
// was written, and a malformed one makes the text no title source.
void TstTitleSource::trackChoiceInTheSource()
{
    QFETCH(QString, choice);
    QFETCH(bool, valid);
    const std::string text = "dvdtitle:%2Fx:4" + choice.toStdString() + "/MY_MOVIE - Title 04.VOB";
    const std::optional<TitleSource> parsed = parseTitleSource(text);
    QCOMPARE(parsed.has_value(), valid);
    if (!valid)
        return;
    QFETCH(QList<int>, audio);
    QFETCH(QString, language);
    QFETCH(int, subtitles);
    QFETCH(int, stream);
    QCOMPARE(parsed->title, 4);
    QCOMPARE(parsed->name, std::string("MY_MOVIE - Title 04"));
    QCOMPARE(QList<int>(parsed->choice.audio.begin(), parsed->choice.audio.end()), audio);
    QCOMPARE(QString::fromStdString(parsed->choice.language), language);
    QCOMPARE(int(parsed->choice.subtitles), subtitles);
    QCOMPARE(parsed->choice.subtitleStream, stream);
    QCOMPARE(makeTitleSource(*parsed), text);
}

void TstTitleSource::targetIsNamedAfterTheTitle()
{
    ConvertEng engine;
    engine.m_extension = QStringLiteral("mp4");
    TrackChoice choice;
    choice.audio = {2, 1};
    choice.subtitles = TrackChoice::Subtitles::None;
    for (const char *label : {"MY_MOVIE", "MY.MOVIE.2", "a/b"}) {
        const std::string source =
            makeTitleSource({"/mnt/My Disc.v2/VIDEO_TS", 3, titleFileName(label, 3), choice});
        const QString target =
            engine.makeTargetPath(QString::fromStdString(source), QStringLiteral("/out"));
        const QString expected = QStringLiteral("/out/") +
                                 QString::fromLatin1(label).replace(u'/', u'_') +
                                 QStringLiteral(" - Title 03.mp4");
        QCOMPARE(target, expected);
    }
}

void TstTitleSource::defaultTracks_data()
{
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("choice"); // as in a job source
    QTest::addColumn<bool>("everyTrack");
    QTest::addColumn<QList<int>>("tracks"); // positions, as chosen
    QTest::addColumn<QString>("subtitles");
    QTest::addColumn<int>("burned"); // position of the stream burned in, -1 for none
    QTest::addColumn<bool>("forcedOnly");
    QTest::newRow("commentary first") << "en:c,en,fr"
                                      << "" << false << QList<int>{1} << "en,fr" << 0 << true;
    QTest::newRow("preferred language")
        << "en:c,en,fr"
        << ";lang=fr" << false << QList<int>{2} << "en,fr" << 1 << true;
    QTest::newRow("language not there")
        << "en:c,en,fr"
        << ";lang=de" << false << QList<int>{1} << "fr" << -1 << false;
    QTest::newRow("only the commentary in it")
        << "de:c,en:d,en"
        << ";lang=de" << false << QList<int>{2} << "" << -1 << false;
    QTest::newRow("kind left open is normal") << "en:d,fr:u"
                                              << "" << false << QList<int>{1} << "fr" << 0 << true;
    QTest::newRow("nothing normal") << "en:c,en:d"
                                    << "" << false << QList<int>{0} << "" << -1 << false;
    QTest::newRow("no audio") << ""
                              << "" << false << QList<int>() << "en" << -1 << false;
    QTest::newRow("every track, default first")
        << "en:c,en,fr"
        << "" << true << QList<int>{1, 0, 2} << "fr,en:f,en" << 1 << false;
    QTest::newRow("chosen tracks")
        << "en:c,en,fr"
        << ";audio=3,1" << true << QList<int>{2, 0} << "en,fr" << 1 << true;
    QTest::newRow("chosen track not there")
        << "en:c,en"
        << ";audio=5;subtitles=none" << false << QList<int>{1} << "en" << -1 << false;
    QTest::newRow("chosen subtitles")
        << "en"
        << ";subtitles=2" << false << QList<int>{0} << "en,fr" << 1 << false;
    QTest::newRow("chosen subtitles not there")
        << "en"
        << ";subtitles=3" << false << QList<int>{0} << "en,fr" << -1 << false;
}

// The default audio track is the film's own sound in the preferred
// language, never a commentary or an audio description while a normal track
// exists; the forced subtitles of its language are burned in by default.
void TstTitleSource::defaultTracks()
{
    QFETCH(QString, audio);
    QFETCH(QString, choice);
    QFETCH(bool, everyTrack);
    QFETCH(QList<int>, tracks);
    QFETCH(QString, subtitles);
    QFETCH(int, burned);
    QFETCH(bool, forcedOnly);
    const std::optional<TrackChoice> parsed = parseChoiceText(choice.toStdString());
    QVERIFY(parsed.has_value());
    const std::vector<dvd::AudioStream> streams = audioTracks(audio);
    const std::vector<int> chosen = chosenAudioTracks(streams, *parsed, "en", everyTrack);
    QCOMPARE(QList<int>(chosen.begin(), chosen.end()), tracks);
    const std::string language = chosen.empty() ? "" : streams[chosen.front()].language;
    const SubtitleBurn burn = burnedSubtitles(subtitleStreams(subtitles), *parsed, language);
    QCOMPARE(burn.stream, burned);
    QCOMPARE(burn.forcedOnly, forcedOnly);
}

void TstTitleSource::fileNamesAreMadeSafe()
{
    QCOMPARE(titleFileName("MY_MOVIE", 1), std::string("MY_MOVIE - Title 01"));
    QCOMPARE(titleFileName("  spaced  ", 99), std::string("spaced - Title 99"));
    QCOMPARE(titleFileName("", 7), std::string("DVD - Title 07"));
    QCOMPARE(titleFileName("x", 123), std::string("x - Title 123"));
    QCOMPARE(safeFileName("a/b\nc\td\x7f"), std::string("a_b_c_d_"));
    QCOMPARE(safeFileName(std::string("a\0b", 3)), std::string("a_b"));
    QCOMPARE(safeFileName("   "), std::string("DVD"));
}

void TstTitleSource::languageCodes()
{
    QCOMPARE(languageCode3("en"), std::string("eng"));
    QCOMPARE(languageCode3("de"), std::string("ger"));
    QCOMPARE(languageCode3("FR"), std::string("fre"));
    QCOMPARE(languageCode3("zh"), std::string("chi"));
    QCOMPARE(languageCode3("aa"), std::string("aar"));
    QCOMPARE(languageCode3("zu"), std::string("zul"));
    QCOMPARE(languageCode3("xx"), std::string("und"));
    QCOMPARE(languageCode3(""), std::string("und"));
    QCOMPARE(languageCode3("eng"), std::string("und"));
    QCOMPARE(localeLanguage("fr_FR.UTF-8"), std::string("fr"));
    QCOMPARE(localeLanguage("C"), std::string("en"));
}

void TstTitleSource::chaptersAsMetadata()
{
    const std::string text = chapterMetadata({0, 61040, 125500}, 200000);
    const QStringList lines = QString::fromStdString(text).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral(";FFMETADATA1"));
    QCOMPARE(lines.count(QStringLiteral("[CHAPTER]")), 3);
    QVERIFY(lines.contains(QStringLiteral("START=61040")));
    QVERIFY(lines.contains(QStringLiteral("END=125500")));
    QVERIFY(lines.contains(QStringLiteral("END=200000")));
    QVERIFY(lines.contains(QStringLiteral("title=Chapter 03")));
    QCOMPARE(lines.count(QStringLiteral("TIMEBASE=1/1000")), 3);
    QVERIFY(chapterMetadata({}, 1000).empty());
}

void TstTitleSource::chaptersStopAtABrokenStart()
{
    // A start that goes back or lies past the end ends the marks there.
    const QString text = QString::fromStdString(chapterMetadata({0, 5000, 4000, 9000}, 10000));
    QCOMPARE(text.count(QStringLiteral("[CHAPTER]")), 2);
    QVERIFY(text.contains(QStringLiteral("START=5000\nEND=10000")));
    QCOMPARE(QString::fromStdString(chapterMetadata({0, 10000}, 10000))
                 .count(QStringLiteral("[CHAPTER]")),
             1);
}

void TstTitleSource::concatListQuotesPaths()
{
    const std::string text =
        concatList({{"/a/it's/VTS_01_1.VOB", 2048, 4096}, {"/b/x", 10, 10}, {"/c", 0, 1}});
    QCOMPARE(QString::fromStdString(text),
             QStringLiteral("'subfile,,start,2048,end,4096,,:/a/it'\\''s/VTS_01_1.VOB'\n"
                            "'subfile,,start,0,end,1,,:/c'\n"));
}

QTEST_GUILESS_MAIN(TstTitleSource)
#include "tst_titlesource.moc"
