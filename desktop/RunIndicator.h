#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace desktop
{

// Shows a conversion run on the desktop while it goes on: its progress and
// the number of titles left on the program's launcher or taskbar entry
// (the launcher-entry signal the Ubuntu dock and KDE Plasma read), and asks
// the desktop not to blank the screen or suspend until the run ends. All of
// it goes over the session bus, without waiting for answers; with no bus,
// or no desktop listening, nothing happens and nothing fails.
class RunIndicator : public QObject
{
    Q_OBJECT

public:
    explicit RunIndicator(QObject *parent = nullptr);
    RunIndicator(const QDBusConnection &bus, QObject *parent);
    ~RunIndicator() override; // ends a run still shown

    // A run begins: the desktop is asked not to suspend.
    void begin(const QString &reason);
    // Overall progress of the run (0..1) and the titles still to convert.
    void update(double progress, int titlesLeft);
    // The run has ended: progress and count disappear, the request ends.
    void end();

    bool isRunning() const { return m_running; }
    // Whether the desktop granted the request not to suspend (its cookie
    // has come back and the run still goes on).
    bool isInhibiting() const { return m_hasCookie; }

    // The program's desktop entry, as the launcher entry names it.
    static QString appUri();

signals:
    // The desktop answered the request not to suspend (for tests).
    void inhibitAnswered();

private:
    void sendUpdate(const QVariantMap &properties);
    void releaseCookie();

    QDBusConnection m_bus;
    bool m_running = false;
    bool m_hasCookie = false;
    uint m_cookie = 0;
    int m_lastPermille = -1;
    int m_lastTitlesLeft = -1;
};

} // namespace desktop
