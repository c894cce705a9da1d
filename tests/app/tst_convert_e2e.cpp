// The main window's commands with the real source dialogs, the real engine
// and the real converter, on the generated DVD-like titles.
#include "AppTestSupport.h"
#include "AppTexts.h"
#include "ConvertEng.h"
#include "ConverterMissing.h"
#include "DVDDiscDlg.h"
#include "DVDFolderDlg.h"
#include "DialogDriver.h"
#include "DiscDrives.h"
#include "Fixture.h"
#include "LoadingDlg.h"
#include "Options.h"
#include "Resource.h"
#include "TestHome.h"
#include "XFolderDialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace
{
using testsupport::fixture;

QByteArray ReadAll(const QString &strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the conversion dialog shows: the full path of its status line and
// the bar's position.
QString Status(QWidget *pConvert)
{
    auto *pStatus = FindCtrl<QLabel>(pConvert, IDC_CONVERT_STATUS);
    return pStatus ? pStatus->toolTip() : QString();
}

int Percent(QWidget *pConvert)
{
    auto *pBar = FindCtrl<QProgressBar>(pConvert, IDC_CONVERT_PROGRESS);
    return pBar ? pBar->value() : -1;
}
} // namespace

class TestConvertE2E : public QObject
{
    Q_OBJECT

    CTestMainDlg *m_pDlg = nullptr;
    QTemporaryDir m_out;

    CTestMainDlg &Dlg() { return *m_pDlg; }

    QString Target(const QString &strBase) const
    {
        return m_out.path() + QLatin1Char('/') + strBase + QStringLiteral(".avi");
    }

    // Lists the fixture titles and ticks the ones named in ticked.
    void ListTitles(const QStringList &names, const QStringList &ticked)
    {
        QList<std::tuple<QString, QString, QString>> titles;
        for (const QString &name : names)
            titles.append({fixture(name), QStringLiteral(" 00:00:02"), QStringLiteral(" MPEG2")});
        Dlg().AddTitles(titles);
        for (int i = 0; i < names.size(); ++i) {
            if (ticked.contains(names[i]))
                ClickCheckBox(Dlg().m_listTitles, i);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo(fixture("title2s.VOB")).isFile());
        QVERIFY(m_out.isValid());
    }

    void init()
    {
        CTestHome::ClearProfile();
        SetDiscDriveSource([] { return QList<CDiscDrive>(); });
        for (const QString &name : QDir(m_out.path()).entryList(QDir::Files))
            QFile::remove(m_out.path() + QLatin1Char('/') + name);
        m_pDlg = new CTestMainDlg;
        m_pDlg->Init();
        FindCtrl<QLineEdit>(m_pDlg, IDC_OUTPUT_FOLDER)->setText(m_out.path());
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg));
    }

    void cleanup()
    {
        delete m_pDlg;
        m_pDlg = nullptr;
    }

    void convertsTheTickedTitleAndClosesByItself()
    {
        ListTitles({"title12s.VOB", "title2s.VOB"}, {"title2s.VOB"});
        QStringList statuses;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (qobject_cast<CConvertDlg *>(pDlg)) {
                QTRY_VERIFY_WITH_TIMEOUT(!pDlg->isVisible() || !Status(pDlg).isEmpty(), 60000);
                statuses << Status(pDlg);
            } else {
                pDlg->reject();
            }
        });
        ClickCommand(Dlg(), ID_CONVERT);
        QVERIFY(!watcher.m_bTimedOut);

        QCOMPARE(watcher.m_seen.size(), 1);
        QCOMPARE(watcher.m_seen[0].strTitle, QStringLiteral("Converting..."));
        QCOMPARE(statuses, QStringList{fixture("title2s.VOB")});
        QVERIFY(QFileInfo(Target("title2s")).size() > 10000);
        QVERIFY(!QFileInfo::exists(Target("title12s")));
        // The ticks stay for another run.
        QCOMPARE(Dlg().m_listTitles.item(1, 0)->checkState(), Qt::Checked);
        QCOMPARE(Dlg().m_listTitles.item(0, 0)->checkState(), Qt::Unchecked);
    }

    // One title the converter cannot read among three: the other two are
    // converted, and one message at the end names the failed one only.
    void aFailedTitleIsNamedAtTheEnd()
    {
        QTemporaryDir sources;
        const QString strBroken = sources.filePath(QStringLiteral("VTS_02_1.VOB"));
        QFile broken(strBroken);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(65536, '\x5a'));
        broken.close();
        Dlg().AddTitles({{fixture("title2s.VOB"), " 00:00:02", " MPEG2"},
                         {strBroken, " 00:00:02", " MPEG2"},
                         {fixture("title12s.VOB"), " 00:00:12", " MPEG2"}});
        for (int i = 0; i < 3; ++i)
            ClickCheckBox(Dlg().m_listTitles, i);

        CModalWatcher watcher([&](QDialog *pDlg) {
            if (qobject_cast<QMessageBox *>(pDlg))
                Answer(pDlg, QMessageBox::Ok);
        });
        ClickCommand(Dlg(), ID_CONVERT);
        QVERIFY(!watcher.m_bTimedOut);
        QCOMPARE(watcher.m_seen.size(), 2);
        const CModalWatcher::Seen &message = watcher.m_seen[1];
        QCOMPARE(message.strTitle, QStringLiteral("Velko Free DVD Ripper"));
        QVERIFY2(
            message.strText.startsWith("This title was not converted:\n\n" + strBroken + "\n    "),
            qPrintable(message.strText));
        QVERIFY(message.strText.contains(QStringLiteral("Invalid data found")));
        QVERIFY(!message.strText.contains(QStringLiteral("title2s")));
        QVERIFY(!message.strText.contains(QStringLiteral("title12s")));
        QVERIFY(QFileInfo(Target("title2s")).size() > 10000);
        QVERIFY(QFileInfo(Target("title12s")).size() > 10000);
        QVERIFY(!QFileInfo::exists(Target("VTS_02_1")));
        // Nothing half-made is left in the folder.
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void anExistingTargetIsReplacedOnlyAfterYes()
    {
        ListTitles({"title2s.VOB"}, {"title2s.VOB"});
        const QString strTarget = Target("title2s");
        QFile junk(strTarget);
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("junk") == 4);
        junk.close();

        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            bool bOverConversion = false;
            QString strStatus;
            int nPercent = -1;
            CModalWatcher::Seen question;
            CModalWatcher watcher([&](QDialog *pDlg) {
                auto *pBox = qobject_cast<QMessageBox *>(pDlg);
                if (!pBox)
                    return;
                question = {pBox->windowTitle(), pBox->text(), pBox->icon()};
                QWidget *pOwner = pDlg->parentWidget();
                bOverConversion = qobject_cast<CConvertDlg *>(pOwner) != nullptr;
                // The ticks go on while the question is open.
                if (QTest::qWaitFor([&] { return !Status(pOwner).isEmpty(); }, 10000))
                    strStatus = Status(pOwner);
                nPercent = Percent(pOwner);
                Answer(pDlg, answer);
            });
            ClickCommand(Dlg(), ID_CONVERT);
            QVERIFY(!watcher.m_bTimedOut);
            QCOMPARE(watcher.m_seen.size(), 2);
            QCOMPARE(question.strTitle, QStringLiteral("Velko Free DVD Ripper"));
            QCOMPARE(question.strText,
                     "'" + strTarget + "' already exists.\nDo you want to replace it?");
            QCOMPARE(question.icon, QMessageBox::NoIcon);
            // Asked over the conversion dialog, which shows that title at 0 %.
            QVERIFY(bOverConversion);
            QCOMPARE(strStatus, fixture("title2s.VOB"));
            QCOMPARE(nPercent, 0);
            if (answer == QMessageBox::No)
                QCOMPARE(ReadAll(strTarget), QByteArray("junk"));
            else
                QVERIFY(QFileInfo(strTarget).size() > 10000);
        }
    }

    void stopEndsTheRunAfterTheCurrentTitle()
    {
        const QStringList names{"long.VOB", "title12s.VOB", "title2s.VOB"};
        ListTitles(names, names);
        QList<QMessageBox::StandardButton> stopAnswers{QMessageBox::No, QMessageBox::Yes};
        bool bOpenAfterRefusals = false;
        int nLastStarted = -2;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (auto *pBox = qobject_cast<QMessageBox *>(pDlg)) {
                if (pBox->text() == QStringLiteral("Are you sure that you want to stop?") &&
                    !stopAnswers.isEmpty())
                    Answer(pDlg, stopAnswers.takeFirst());
                else
                    Answer(pDlg, QMessageBox::Ok);
                return;
            }
            // Once the first title converts: Esc, Stop and No, then Stop and Yes.
            QTRY_VERIFY_WITH_TIMEOUT(!pDlg->isVisible() || Percent(pDlg) > 0, 60000);
            QPointer<QDialog> pConvert(pDlg);
            QTest::keyClick(pDlg, Qt::Key_Escape);
            auto *pStop = FindCtrl<QPushButton>(pDlg, IDC_CONVERT_STOP);
            QTest::mouseClick(pStop, Qt::LeftButton);
            bOpenAfterRefusals = pConvert && pConvert->isVisible();
            if (!pConvert)
                return;
            QTest::mouseClick(pStop, Qt::LeftButton);
            // From now on no title starts: the one the worker is on is its last.
            ConvertJob job;
            auto *pEngine = &qobject_cast<CConvertDlg *>(pDlg)->m_engine;
            nLastStarted = pEngine->getCurrentJob(job) ? job.index : names.size() - 1;
        });
        ClickCommand(Dlg(), ID_CONVERT);
        QVERIFY(!watcher.m_bTimedOut);

        QVERIFY(bOpenAfterRefusals);
        QStringList texts = watcher.Texts();
        QCOMPARE(texts.mid(0, 4),
                 QStringList({"", "Operation is not supported.\nPlease stop the converting.",
                              "Are you sure that you want to stop?",
                              "Are you sure that you want to stop?"}));
        QVERIFY(nLastStarted >= 0);
        // The stopped title is kept aside under a name that says so, and the
        // end message tells where it ends.
        const QString strStopped = QFileInfo(names[nLastStarted]).baseName();
        const QString strPartial = strStopped + QStringLiteral(" (partial).avi");
        QCOMPARE(texts.size(), 5);
        QVERIFY2(texts[4].contains(QStringLiteral("Stopped at ")) && texts[4].contains(strPartial),
                 qPrintable(texts[4]));
        QVERIFY(QFileInfo::exists(m_out.path() + QLatin1Char('/') + strPartial));
        QVERIFY(!QFileInfo::exists(Target(strStopped)));
        for (int i = nLastStarted + 1; i < names.size(); ++i)
            QVERIFY2(!QFileInfo::exists(Target(QFileInfo(names[i]).baseName())),
                     qPrintable(names[i]));
    }

    // Without ffmpeg a load lists the titles without their lengths and a
    // conversion ends at 0 %, as before; but the user is told once why, with
    // the package to install, however many titles there are.
    void missingConverterIsToldOnce_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Disc") << ID_ADD_FROM_DISC;
        QTest::newRow("Convert") << ID_CONVERT;
    }
    void missingConverterIsToldOnce()
    {
        QFETCH(int, command);
        QTemporaryDir emptyPath;
        QTemporaryDir disc;
        const QByteArray savedPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", savedPath); });
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        QVERIFY(QFile::link(fixture("title2s.VOB"), disc.filePath("VTS_01_1.VOB")));
        QVERIFY(QFile::link(fixture("title12s.VOB"), disc.filePath("VTS_02_1.VOB")));
        const QString strDisc = disc.path();
        SetDiscDriveSource([strDisc] { return QList<CDiscDrive>{{strDisc, "MOVIE (/dev/sr0)"}}; });
        if (command == ID_CONVERT)
            ListTitles({"title12s.VOB", "title2s.VOB"}, {"title12s.VOB", "title2s.VOB"});

        CModalWatcher watcher([&](QDialog *pDlg) {
            QPointer<QDialog> pGuard(pDlg);
            if (qobject_cast<QMessageBox *>(pDlg)) {
                pDlg->accept();
            } else if (qobject_cast<CSelectDVDDiscDlg *>(pDlg)) {
                QTRY_VERIFY(!pGuard || FindCtrl<QPushButton>(pDlg, IDOK)->isEnabled());
                if (pGuard)
                    QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDOK), Qt::LeftButton);
            }
        });
        ClickCommand(Dlg(), command);
        QTRY_VERIFY_WITH_TIMEOUT(watcher.Texts().contains(ConverterMissingText()), 30000);
        QTest::qWait(500); // a second box would show by now
        QVERIFY(!watcher.m_bTimedOut);
        QCOMPARE(watcher.Texts().count(ConverterMissingText()), 1);
        QVERIFY(ConverterMissingText().contains(QStringLiteral("sudo apt install ffmpeg")));
        for (const CModalWatcher::Seen &seen : watcher.m_seen) {
            if (seen.strText == ConverterMissingText()) {
                QCOMPARE(seen.strTitle, kAppCaption);
                QCOMPARE(seen.icon, QMessageBox::Warning);
            }
        }
        // Nothing else changes: the titles are listed, nothing is converted.
        QCOMPARE(Dlg().m_listTitles.rowCount(), 2);
        QVERIFY(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void sourceCommandsListTheTitlesOfADvd_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Folder") << ID_ADD_FROM_FOLDER;
        QTest::newRow("Disc") << ID_ADD_FROM_DISC;
    }

    void sourceCommandsListTheTitlesOfADvd()
    {
        QFETCH(int, command);
        const QString strDvd = fixture("dvd");
        const QString strStartFolder = g_pOptions->m_strInitDirectory;
        // The disc: the DVD folder stands in for the mount point of a drive.
        SetDiscDriveSource([strDvd] { return QList<CDiscDrive>{{strDvd, "MOVIE (/dev/sr0)"}}; });
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (auto *pPicker = qobject_cast<CXFolderDialog *>(pDlg)) {
                auto *pCombo = FindCtrl<QComboBox>(pPicker, CXFolderDialog::IDC_FOLDER_HISTORY);
                TypeInto(pCombo->lineEdit(), strDvd);
                QTest::mouseClick(FindCtrl<QPushButton>(pPicker, IDOK), Qt::LeftButton);
                return;
            }
            QPointer<QDialog> pGuard(pDlg);
            if (qobject_cast<CSelectDVDDirDlg *>(pDlg))
                QTest::mouseClick(FindCtrl<QPushButton>(pDlg, CSelectDVDDirDlg::IDC_BROWSE),
                                  Qt::LeftButton);
            else if (!qobject_cast<CSelectDVDDiscDlg *>(pDlg))
                return; // the loading dialog closes by itself
            QTRY_VERIFY(!pGuard || FindCtrl<QPushButton>(pDlg, IDOK)->isEnabled());
            if (pGuard)
                QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDOK), Qt::LeftButton);
        });
        // The loading window closes as soon as the titles are known, often
        // before the watcher gets to see it: the rows tell that it ran.
        ClickCommand(Dlg(), command);
        QVERIFY(!watcher.m_bTimedOut);

        ConvertEng scan;
        scan.scanFolder(QStringLiteral(".VOB"), strDvd);
        QVERIFY(scan.m_jobs.size() >= 2);
        QCOMPARE(Dlg().m_listTitles.rowCount(), scan.m_jobs.size());
        for (int i = 0; i < Dlg().m_listTitles.rowCount(); ++i) {
            QCOMPARE(Dlg().m_listTitles.item(i, 0)->text(), scan.m_jobs[i]->source);
            QCOMPARE(Dlg().m_listTitles.item(i, 0)->checkState(), Qt::Unchecked);
            QVERIFY(Dlg().m_listTitles.item(i, 1)->text().startsWith(QStringLiteral(" 00:00:0")));
            QCOMPARE(Dlg().m_listTitles.item(i, 2)->text(), QStringLiteral(" MPEG2"));
        }
        // The next "Folder" starts where this one ended; "Disc" leaves it alone.
        QCOMPARE(g_pOptions->m_strInitDirectory,
                 command == ID_ADD_FROM_FOLDER ? strDvd : strStartFolder);
    }
};

VELKO_TEST_MAIN(TestConvertE2E)
#include "tst_convert_e2e.moc"
