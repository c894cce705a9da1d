#include "PictureQuery.h"

#include "ConvertEng.h"

#include <QProcess>

#include <sys/resource.h>

namespace
{

// Below a conversion and the window: the analysis may take a while.
constexpr int kAnalysisNiceness = 10;

QStringList arguments(const QStringList &sources, bool cachedOnly)
{
    QStringList list = {QStringLiteral("--analyse")};
    if (cachedOnly)
        list << QStringLiteral("--cached");
    return list + sources;
}

// One answer line of the launcher: "<class> <bars> <how>".
bool readAnswer(const QByteArray &line, QString &scanClass, QString &how)
{
    const QList<QByteArray> words = line.split(' ');
    if (words.size() < 3)
        return false;
    scanClass = QString::fromLatin1(words[0]);
    how = QString::fromLatin1(words[2]);
    return true;
}

} // namespace

PictureQuery::PictureQuery(QObject *parent) : QObject(parent) {}

PictureQuery::~PictureQuery()
{
    stop();
}

void PictureQuery::start(const QStringList &sources, bool cachedOnly)
{
    stop();
    if (sources.isEmpty())
        return;
    m_sources = sources;
    m_answered = 0;
    m_pending.clear();
    m_process = new QProcess(this);
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->setChildProcessModifier([] { ::setpriority(PRIO_PROCESS, 0, kAnalysisNiceness); });
    connect(m_process, &QProcess::readyReadStandardOutput, this, &PictureQuery::readAnswers);
    connect(m_process, &QProcess::finished, this, [this] {
        readAnswers();
        m_process->deleteLater();
        m_process = nullptr;
        emit finished();
    });
    m_process->start(ConvertEng::makeConverterPath(), arguments(sources, cachedOnly));
}

void PictureQuery::stop()
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->kill();
    process->waitForFinished(-1);
    delete process;
}

bool PictureQuery::isRunning() const
{
    return m_process != nullptr;
}

void PictureQuery::readAnswers()
{
    if (!m_process)
        return;
    m_pending += m_process->readAllStandardOutput();
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        QString scanClass;
        QString how;
        if (m_answered < m_sources.size() && readAnswer(line, scanClass, how))
            emit answered(m_sources[m_answered++], scanClass, how);
    }
}

QStringList PictureQuery::classesNow(const QStringList &sources, bool cachedOnly)
{
    QStringList classes(sources.size());
    if (sources.isEmpty())
        return classes;
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(ConvertEng::makeConverterPath(), arguments(sources, cachedOnly));
    process.waitForFinished(-1);
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (int i = 0; i < sources.size() && i < lines.size(); ++i) {
        QString scanClass;
        QString how;
        if (readAnswer(lines[i], scanClass, how) && how != QStringLiteral("uncached") &&
            how != QStringLiteral("failed"))
            classes[i] = scanClass;
    }
    return classes;
}
