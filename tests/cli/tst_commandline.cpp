// The program's command line: what each option makes the process do and
// print, and which arguments are left to the GUI application.
#include "AppCommandLine.h"
#include "AppInfo.h"

#include <QTest>

using Action = CAppCommandLine::Action;

namespace
{
QStringList Args(const QStringList &options)
{
    return QStringList{QStringLiteral("/opt/velko/VelkoFreeDVDRipper")} + options;
}
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void noArgumentsOpenTheWindow()
    {
        CAppCommandLine cmdLine;
        QCOMPARE(cmdLine.Parse(Args({})), Action::ShowWindow);
        QCOMPARE(cmdLine.ExitCode(), 0);
        QVERIFY(cmdLine.Output().isEmpty());
        QVERIFY(cmdLine.ErrorOutput().isEmpty());
        QVERIFY(!cmdLine.SelfCheck());
    }

    void versionPrintsNameAndVersion_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("long") << QStringLiteral("--version");
        QTest::newRow("short") << QStringLiteral("-v");
        // Options that end the process win over opening the window.
        QTest::newRow("with self-check") << QStringLiteral("--self-check --version");
    }
    void versionPrintsNameAndVersion()
    {
        QFETCH(QString, option);
        CAppCommandLine cmdLine;
        QCOMPARE(cmdLine.Parse(Args(option.split(u' '))), Action::Exit);
        QCOMPARE(cmdLine.ExitCode(), 0);
        const QStringList lines = cmdLine.Output().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QStringLiteral("Velko Free DVD Ripper ")),
                 qPrintable(lines.first()));
        QVERIFY2(lines.first().endsWith(u' ' + QStringLiteral(VELKO_APP_VERSION)),
                 qPrintable(lines.first()));
        QVERIFY(cmdLine.ErrorOutput().isEmpty());
    }

    void helpListsTheOptions()
    {
        for (const QString &option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            CAppCommandLine cmdLine;
            QCOMPARE(cmdLine.Parse(Args({option})), Action::Exit);
            QCOMPARE(cmdLine.ExitCode(), 0);
            const QString &help = cmdLine.Output();
            QVERIFY2(help.startsWith(QStringLiteral("Usage: ")), qPrintable(help));
            QVERIFY(help.contains(QStringLiteral("--version")));
            QVERIFY(help.contains(QStringLiteral("--help")));
            // The self-check is for the install check, not for users.
            QVERIFY(!help.contains(QStringLiteral("self-check")));
            QVERIFY(cmdLine.ErrorOutput().isEmpty());
        }
    }

    void selfCheckOpensTheWindow()
    {
        CAppCommandLine cmdLine;
        QCOMPARE(cmdLine.Parse(Args({QStringLiteral("--self-check")})), Action::ShowWindow);
        QVERIFY(cmdLine.SelfCheck());
        QVERIFY(cmdLine.Output().isEmpty());
    }

    void usageErrorsNameTheFaultAndExit_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("guiOnly");
        QTest::newRow("unknown long")
            << QStringList{QStringLiteral("--bogus")} << QStringLiteral("bogus") << false;
        QTest::newRow("argument") << QStringList{QStringLiteral("/media/cdrom")}
                                  << QStringLiteral("'/media/cdrom'") << false;
        QTest::newRow("GUI option")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")}
            << QStringLiteral("platform") << true;
        QTest::newRow("GUI and unknown")
            << QStringList{QStringLiteral("-style=fusion"), QStringLiteral("--bogus")}
            << QStringLiteral("bogus") << false;
    }
    void usageErrorsNameTheFaultAndExit()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, fault);
        QFETCH(bool, guiOnly);
        CAppCommandLine cmdLine;
        QCOMPARE(cmdLine.Parse(Args(options)), Action::Exit);
        QCOMPARE(cmdLine.ExitCode(), 2);
        QVERIFY(cmdLine.Output().isEmpty());
        const QString &error = cmdLine.ErrorOutput();
        QVERIFY2(error.startsWith(QStringLiteral("VelkoFreeDVDRipper: ")), qPrintable(error));
        QVERIFY2(error.contains(fault), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("'VelkoFreeDVDRipper --help'")), qPrintable(error));
        QCOMPARE(cmdLine.FailedOnGuiOptionsOnly(), guiOnly);
    }

    void parsingAgainForgetsTheLastResult()
    {
        CAppCommandLine cmdLine;
        cmdLine.Parse(Args({QStringLiteral("-platform"), QStringLiteral("offscreen")}));
        QVERIFY(cmdLine.FailedOnGuiOptionsOnly());
        // What the GUI application leaves after taking its own options.
        QCOMPARE(cmdLine.Parse(Args({QStringLiteral("--self-check")})), Action::ShowWindow);
        QCOMPARE(cmdLine.ExitCode(), 0);
        QVERIFY(cmdLine.ErrorOutput().isEmpty());
        QVERIFY(!cmdLine.FailedOnGuiOptionsOnly());
        QVERIFY(cmdLine.SelfCheck());
        cmdLine.Parse(Args({QStringLiteral("--bogus")}));
        QVERIFY(!cmdLine.SelfCheck());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
