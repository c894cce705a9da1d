#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QProcess;

// Asks the converter launcher how job sources were scanned (torvane
// --analyse): "progressive", "interlaced", "telecined" or "unknown" for each,
// answered one source at a time as the launcher finds them. Sources it has
// analysed before answer at once from its cache; the others cost ffmpeg runs
// of a few seconds each, in a process of its own at a low priority, so the
// caller never waits for them.
class PictureQuery : public QObject
{
    Q_OBJECT

public:
    explicit PictureQuery(QObject *parent = nullptr);
    ~PictureQuery() override;

    // Starts a query, ending one still running. With cachedOnly nothing is
    // analysed: a source not known yet answers how "uncached".
    void start(const QStringList &sources, bool cachedOnly);
    void stop();
    bool isRunning() const;

    // Runs a query to its end and answers the class of each source in order,
    // "" where nothing is known (not analysed yet, or not readable); for the
    // command line, which waits anyway.
    static QStringList classesNow(const QStringList &sources, bool cachedOnly);

signals:
    // how: "cached", "analysed", "uncached" or "failed".
    void answered(const QString &source, const QString &scanClass, const QString &how);
    void finished();

private:
    void readAnswers();

    QProcess *m_process = nullptr;
    QStringList m_sources;
    int m_answered = 0;
    QByteArray m_pending; // output that waits for the end of its line
};
