#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <sys/types.h>

// Which processes run below a given one, read from /proc: for tests that
// check that no converter outlives the program that started it.
namespace testsupport
{

// The parent and the state letter of a process; false once it is gone.
inline bool processStatus(pid_t pid, pid_t *parent = nullptr, char *state = nullptr)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    // "pid (command) S ppid ...": the command may hold blanks and brackets.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 2)
        return false;
    if (state)
        *state = fields[0].isEmpty() ? '?' : fields[0][0];
    if (parent)
        *parent = pid_t(fields[1].toInt());
    return true;
}

// Alive: present and not a zombie waiting to be reaped.
inline bool processAlive(pid_t pid)
{
    char state = '?';
    return pid > 0 && processStatus(pid, nullptr, &state) && state != 'Z';
}

// Every live process whose chain of parents leads to root, root excluded.
inline QList<pid_t> descendants(pid_t root)
{
    QList<pid_t> all;
    QList<pid_t> parents;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        pid_t parent = 0;
        char state = '?';
        if (number && processStatus(pid, &parent, &state) && state != 'Z') {
            all << pid;
            parents << parent;
        }
    }
    QList<pid_t> found;
    QList<pid_t> frontier{root};
    while (!frontier.isEmpty()) {
        const pid_t current = frontier.takeFirst();
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (parents[i] == current && !found.contains(all[i])) {
                found << all[i];
                frontier << all[i];
            }
        }
    }
    return found;
}

} // namespace testsupport
