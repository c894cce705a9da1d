#include "EngineLog.h"

Q_LOGGING_CATEGORY(lcEngine, "velko.engine", QtWarningMsg)

void engineTrace(const QString &text)
{
    if (!lcEngine().isDebugEnabled())
        return;
    QString line = text;
    if (line.endsWith(u'\n'))
        line.chop(1);
    qCDebug(lcEngine).noquote() << line;
}

void engineTrace(const QByteArray &bytes)
{
    if (!lcEngine().isDebugEnabled())
        return;
    engineTrace(QString::fromUtf8(bytes));
}
