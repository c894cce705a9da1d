#include "HasTitles.h"

#include "ConvertEng.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <atomic>
#include <memory>

bool HasTitles(QString strExtension, QString strFolder)
{
    // A throw-away engine: the scan only fills its job list, nothing starts.
    ConvertEng engine;
    engine.scanFolder(strExtension, strFolder);
    return !engine.m_jobs.isEmpty();
}

bool HasTitlesWhileWaiting(QString strExtension, QString strFolder)
{
    std::atomic<bool> bFound{false};
    std::unique_ptr<QThread> pThread(
        QThread::create([&] { bFound = HasTitles(strExtension, strFolder); }));
    QEventLoop loop;
    QObject::connect(pThread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);

    pThread->start();
    // A thread the system refused would never report its end: scan here.
    if (!pThread->isRunning() && !pThread->isFinished())
        return HasTitles(strExtension, strFolder);

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // Painting and timers go on; clicks and keys are held back until the
    // answer is in, so nothing can act on a half-known state.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    pThread->wait();
    QGuiApplication::restoreOverrideCursor();
    return bFound;
}
