#include "RunIndicator.h"

#include "AppInfo.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QVariantMap>

namespace desktop
{

namespace
{

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString launcherEntryPath = QStringLiteral("/io/github/velko/FreeDVDRipper");
const QString launcherEntryInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");

} // namespace

RunIndicator::RunIndicator(QObject *parent) : RunIndicator(QDBusConnection::sessionBus(), parent) {}

RunIndicator::RunIndicator(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

RunIndicator::~RunIndicator()
{
    end();
}

QString RunIndicator::appUri()
{
    return QStringLiteral("application://") + QStringLiteral(VELKO_APP_ID) +
           QStringLiteral(".desktop");
}

void RunIndicator::sendUpdate(const QVariantMap &properties)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(launcherEntryPath, launcherEntryInterface,
                                                     QStringLiteral("Update"));
    signal << appUri() << properties;
    m_bus.send(signal);
}

void RunIndicator::begin(const QString &reason)
{
    if (m_running)
        return;
    m_running = true;
    m_lastPermille = -1;
    m_lastTitlesLeft = -1;
    if (!m_bus.isConnected())
        return;

    QDBusMessage call = QDBusMessage::createMethodCall(
        screenSaverService, screenSaverPath, screenSaverService, QStringLiteral("Inhibit"));
    call << QStringLiteral("Velko Free DVD Ripper") << reason;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answered) {
                answered->deleteLater();
                const QDBusPendingReply<uint> reply = *answered;
                if (reply.isError())
                    return; // no such service: nothing to hold
                if (m_running && !m_hasCookie) {
                    m_cookie = reply.value();
                    m_hasCookie = true;
                } else {
                    // The run ended before the answer came.
                    QDBusMessage release = QDBusMessage::createMethodCall(
                        screenSaverService, screenSaverPath, screenSaverService,
                        QStringLiteral("UnInhibit"));
                    release << reply.value();
                    m_bus.send(release);
                }
                emit inhibitAnswered();
            });
}

void RunIndicator::update(double progress, int titlesLeft)
{
    if (!m_running)
        return;
    const int permille = qBound(0, int(progress * 1000.0), 1000);
    titlesLeft = qMax(0, titlesLeft);
    // Sent only when it changes, so a 300 ms tick costs the bus nothing.
    if (permille == m_lastPermille && titlesLeft == m_lastTitlesLeft)
        return;
    m_lastPermille = permille;
    m_lastTitlesLeft = titlesLeft;
    sendUpdate({{QStringLiteral("progress"), permille / 1000.0},
                {QStringLiteral("progress-visible"), true},
                {QStringLiteral("count"), qint64(titlesLeft)},
                {QStringLiteral("count-visible"), true}});
}

void RunIndicator::releaseCookie()
{
    if (!m_hasCookie)
        return;
    m_hasCookie = false;
    if (!m_bus.isConnected())
        return;
    QDBusMessage release = QDBusMessage::createMethodCall(
        screenSaverService, screenSaverPath, screenSaverService, QStringLiteral("UnInhibit"));
    release << m_cookie;
    m_bus.send(release);
}

void RunIndicator::end()
{
    if (!m_running)
        return;
    m_running = false;
    sendUpdate(
        {{QStringLiteral("progress-visible"), false}, {QStringLiteral("count-visible"), false}});
    releaseCookie();
}

} // namespace desktop
