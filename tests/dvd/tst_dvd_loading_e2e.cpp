// Loading a DVD whose title files are scrambled: the rows stay with their
// durations from the tables, and one message says how to enable decryption
// when libdvdcss is missing.
#include "DialogDriver.h"
#include "DvdTestSupport.h"
#include "EncryptedDisc.h"
#include "LoadingDlg.h"
#include "Scrambling.h"
#include "TestHome.h"

#include <QDir>
#include <QTemporaryDir>

using namespace dvdtest;

namespace
{

// A copy of the NTSC fixture's VIDEO_TS folder in dir, its title file with
// every video pack marked scrambled when scramble is set.
bool copyDisc(const QString &dir, bool scramble)
{
    const QDir source(dvdFixture("ntsc/VIDEO_TS"));
    if (!QDir().mkpath(dir + "/VIDEO_TS"))
        return false;
    for (const QString &name : source.entryList(QDir::Files)) {
        QFile file(source.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArray bytes = file.readAll();
        if (scramble && name == "VTS_01_1.VOB") {
            for (qsizetype at = 0; at + 2048 <= bytes.size(); at += 2048) {
                if (quint8(bytes[at + 0x11]) == 0xe0)
                    bytes[at + 0x14] = char(quint8(bytes[at + 0x14]) | 0x10);
            }
        }
        QFile copy(dir + "/VIDEO_TS/" + name);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

struct Load {
    QStringList durations;
    QList<CMessageBoxCloser::Seen> messages;
};

Load load(const QString &folder)
{
    CLoadingDlg dlg;
    CMessageBoxCloser closer;
    dlg.SetSource(QStringLiteral(".VOB"), folder);
    QTimer watchdog;
    watchdog.callOnTimeout(&dlg, [&] { dlg.done(IDCANCEL); });
    watchdog.start(120000);
    dlg.DoModal();
    QTest::qWait(200); // the message box shows after the window closed
    Load result;
    for (const MediaInfo &info : dlg.m_titleInfos)
        result.durations << info.durationText;
    result.messages = closer.m_seen;
    return result;
}

} // namespace

class TestDvdLoading : public QObject
{
    Q_OBJECT

    CTestHome m_home;

private slots:
    void noticeOnlyForScrambledTitles()
    {
        QTemporaryDir dir;
        QVERIFY(copyDisc(dir.filePath("plain"), false));
        QVERIFY(copyDisc(dir.filePath("scrambled"), true));
        const QString plain = dir.filePath("plain/VIDEO_TS/VTS_01_1.VOB");
        const QString scrambled = dir.filePath("scrambled/VIDEO_TS/VTS_01_1.VOB");
        QVERIFY(EncryptedDiscNotice({plain}).isEmpty());
        QVERIFY(EncryptedDiscNotice({}).isEmpty());
        const QString notice = EncryptedDiscNotice({plain, scrambled});
        QCOMPARE(notice.isEmpty(), dvd::decryptionAvailable());
        if (!notice.isEmpty()) {
            QVERIFY(notice.contains("encrypted"));
            QVERIFY(
                notice.contains("sudo apt install libdvd-pkg && sudo dpkg-reconfigure libdvd-pkg"));
        }
    }

    void loadingAnEncryptedDiscTellsOnce()
    {
        if (dvd::decryptionAvailable())
            QSKIP("libdvdcss is installed here: nothing to tell");
        QTemporaryDir dir;
        QVERIFY(copyDisc(dir.path(), true));
        const Load result = load(dir.path());
        // The row stays, with the duration the tables give (19.019 s).
        QCOMPARE(result.durations, QStringList({" 00:00:19"}));
        QCOMPARE(result.messages.size(), 1);
        QCOMPARE(result.messages[0].strTitle, QStringLiteral("Velko Free DVD Ripper"));
        QCOMPARE(result.messages[0].strText, QString::fromStdString(dvd::encryptedDiscMessage()));
        QCOMPARE(result.messages[0].icon, QMessageBox::Warning);
    }

    void loadingAPlainDiscSaysNothing()
    {
        QTemporaryDir dir;
        QVERIFY(copyDisc(dir.path(), false));
        const Load result = load(dir.path());
        QCOMPARE(result.durations, QStringList({" 00:00:19"}));
        QVERIFY(result.messages.isEmpty());
    }
};

QTEST_MAIN(TestDvdLoading)
#include "tst_dvd_loading_e2e.moc"
