#pragma once

#include "ConvertEng.h"
#include "Fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>

#include <functional>

namespace enginetest
{

using testsupport::binFile;
using testsupport::fixture;

// Waits until the engine reports a final state; calls onPoll every 50 ms
// while it runs. Answers false on a timeout.
inline bool waitForEnd(ConvertEng &engine, int timeoutMs,
                       const std::function<void()> &onPoll = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    while (engine.m_state != StateFinished && engine.m_state != StateStopped) {
        if (clock.elapsed() > timeoutMs)
            return false;
        if (onPoll)
            onPoll();
        QThread::msleep(50);
    }
    return true;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace enginetest
