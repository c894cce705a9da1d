// The run shown on the desktop, on a private session bus (the test runs
// under dbus-run-session): a stand-in screen saver that counts requests not
// to suspend, and a listener for the launcher-entry signal.
#include "AppInfo.h"
#include "RunIndicator.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <vector>

#include <unistd.h>

using desktop::RunIndicator;

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList held; // reasons of the requests still held
    QList<uint> cookies;
    int released = 0;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        held << application + u':' + reason;
        cookies << uint(41 + cookies.size());
        return cookies.back();
    }
    void UnInhibit(uint cookie)
    {
        const qsizetype at = cookies.indexOf(cookie);
        if (at >= 0) {
            cookies.removeAt(at);
            held.removeAt(at);
            ++released;
        }
    }
};

class UpdateListener : public QObject
{
    Q_OBJECT

public:
    QList<std::pair<QString, QVariantMap>> updates;

public slots:
    void onUpdate(const QString &uri, const QVariantMap &properties)
    {
        updates.append({uri, properties});
    }
};

class TestRunIndicator : public QObject
{
    Q_OBJECT

    QDBusConnection m_peer = QDBusConnection(QString());
    FakeScreenSaver m_saver;
    UpdateListener m_listener;

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"));
        m_peer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop-peer");
        QVERIFY(m_peer.isConnected());
        QVERIFY(m_peer.registerObject("/org/freedesktop/ScreenSaver", &m_saver,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(m_peer.registerService("org.freedesktop.ScreenSaver"));
        QVERIFY(m_peer.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update",
                               &m_listener, SLOT(onUpdate(QString, QVariantMap))));
    }

    void init()
    {
        m_listener.updates.clear();
        m_saver.released = 0;
    }

    void aRunShowsItsProgressAndHoldsOffSuspend()
    {
        RunIndicator indicator;
        QSignalSpy answered(&indicator, &RunIndicator::inhibitAnswered);
        indicator.begin("Converting DVD titles");
        QVERIFY(answered.wait(5000));
        QVERIFY(indicator.isInhibiting());
        QCOMPARE(m_saver.held, QStringList{"Velko Free DVD Ripper:Converting DVD titles"});

        indicator.update(0.25, 3);
        indicator.update(0.25, 3); // unchanged: not sent again
        indicator.update(0.5, 2);
        QVERIFY(QTest::qWaitFor([&] { return m_listener.updates.size() >= 2; }, 5000));
        const auto &[uri, first] = m_listener.updates[0];
        QCOMPARE(uri, QStringLiteral("application://" VELKO_APP_ID ".desktop"));
        QCOMPARE(first.value("progress").toDouble(), 0.25);
        QCOMPARE(first.value("progress-visible").toBool(), true);
        QCOMPARE(first.value("count").toLongLong(), 3);
        QCOMPARE(first.value("count-visible").toBool(), true);
        QCOMPARE(m_listener.updates[1].second.value("progress").toDouble(), 0.5);
        QCOMPARE(m_listener.updates[1].second.value("count").toLongLong(), 2);

        indicator.end();
        QVERIFY(!indicator.isInhibiting());
        QVERIFY(QTest::qWaitFor([&] { return m_saver.held.isEmpty(); }, 5000));
        QVERIFY(QTest::qWaitFor([&] { return m_listener.updates.size() == 3; }, 5000));
        QCOMPARE(m_listener.updates[2].second.value("progress-visible").toBool(), false);
        QCOMPARE(m_listener.updates[2].second.value("count-visible").toBool(), false);
        QTest::qWait(200);
        QCOMPARE(m_listener.updates.size(), 3);
        QCOMPARE(m_saver.released, 1);
    }

    void endedBeforeTheAnswerCame()
    {
        RunIndicator indicator;
        QSignalSpy answered(&indicator, &RunIndicator::inhibitAnswered);
        indicator.begin("short");
        indicator.end();
        QVERIFY(answered.wait(5000));
        QVERIFY(!indicator.isInhibiting());
        QVERIFY(
            QTest::qWaitFor([&] { return m_saver.held.isEmpty() && m_saver.released == 1; }, 5000));
    }

    void destroyedWhileRunning()
    {
        {
            RunIndicator indicator;
            QSignalSpy answered(&indicator, &RunIndicator::inhibitAnswered);
            indicator.begin("cut short");
            QVERIFY(answered.wait(5000));
            indicator.update(0.1, 1);
        }
        QVERIFY(QTest::qWaitFor([&] { return m_saver.held.isEmpty(); }, 5000));
        QVERIFY(QTest::qWaitFor([&] { return m_listener.updates.size() == 2; }, 5000));
        QCOMPARE(m_listener.updates.back().second.value("progress-visible").toBool(), false);
    }

    void noUpdateOutsideARun()
    {
        RunIndicator indicator;
        indicator.update(0.5, 1);
        indicator.end();
        QTest::qWait(300);
        QVERIFY(m_listener.updates.isEmpty());
    }

    // No desktop that answers: the run goes on without.
    void noScreenSaverService()
    {
        QVERIFY(m_peer.unregisterService("org.freedesktop.ScreenSaver"));
        const auto restore =
            qScopeGuard([&] { QVERIFY(m_peer.registerService("org.freedesktop.ScreenSaver")); });
        RunIndicator indicator;
        QSignalSpy answered(&indicator, &RunIndicator::inhibitAnswered);
        indicator.begin("nobody listens");
        QVERIFY(!answered.wait(500));
        QVERIFY(!indicator.isInhibiting());
        indicator.update(0.3, 1);
        indicator.end();
        QVERIFY(QTest::qWaitFor([&] { return m_listener.updates.size() == 2; }, 5000));
    }

    // No bus at all: nothing is sent, nothing fails.
    void noBus()
    {
        const QDBusConnection none =
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "no-bus");
        QVERIFY(!none.isConnected());
        RunIndicator indicator(none, nullptr);
        indicator.begin("no bus");
        QVERIFY(indicator.isRunning());
        indicator.update(0.5, 2);
        indicator.end();
        QVERIFY(!indicator.isRunning());
        QTest::qWait(300);
        QVERIFY(m_listener.updates.isEmpty());
        QVERIFY(m_saver.held.isEmpty());
    }
};

// Runs itself again on a private session bus of its own, so that no test
// touches the desktop of whoever runs it.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("VELKO_PRIVATE_BUS")) {
        qputenv("VELKO_PRIVATE_BUS", "1");
        std::vector<char *> command = {const_cast<char *>("dbus-run-session"),
                                       const_cast<char *>("--")};
        command.insert(command.end(), argv, argv + argc);
        command.push_back(nullptr);
        ::execvp(command[0], command.data());
        std::perror("dbus-run-session (package dbus)");
        return 1;
    }
    QCoreApplication app(argc, argv);
    TestRunIndicator test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_runindicator.moc"
