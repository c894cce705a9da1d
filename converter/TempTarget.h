#pragma once

#include <string>

#include <sys/types.h>

// The hidden file beside a conversion's target that ffmpeg writes into. It
// takes the target's name only once the conversion has finished, by a
// rename within the same folder, so an existing target stays as it was
// until then and a crash leaves at most this hidden file, never a
// half-written target. Its name keeps the target's extension at the end, so
// ffmpeg still picks the output format from it, and stays within the file
// system's limit on a name's length:
//   /out/VTS_01_1.mp4  ->  /out/.VTS_01_1.torvane-Ab12Cd.mp4
// The launcher holds a lock on the file while it lives, so that a later
// launcher can tell the file of a launcher that was killed outright from
// one still being written, and remove it (removeStale).
class TempTarget
{
public:
    TempTarget() = default;
    ~TempTarget(); // removes the file unless it was committed
    TempTarget(const TempTarget &) = delete;
    TempTarget &operator=(const TempTarget &) = delete;

    // Creates the file, empty, with the permissions a new file of the user
    // gets. Answers false with errno set when that is not possible.
    bool create(const std::string &target);
    const std::string &path() const { return m_path; }

    // Renames the file over the target. Answers false with errno set.
    bool commit();
    // Renames the file to a free name beside the target that says what it
    // is, "NAME (label).ext" or "NAME (label 2).ext" and so on, never over
    // an existing file. Answers that path, or an empty one with errno set.
    std::string commitAside(const std::string &label);
    // Removes the file. Answers false with errno set when it stays.
    bool discard();

    // Whether a target is written directly instead: an existing device,
    // pipe or socket, which no rename may replace.
    static bool writesDirectly(const std::string &target);
    // The pattern the hidden name is made from, and the length of its
    // suffix after the "XXXXXX".
    static std::string pattern(const std::string &target, int &suffixLength);
    // Removes the hidden files of earlier conversions into folder that no
    // running launcher holds, once they have not been written for a while.
    // Answers how many went.
    static int removeStale(const std::string &folder);

    // From now on a signal that ends the launcher (hang-up, quit, ...) first
    // kills child (when not 0) and removes this file. The stop signals
    // SIGINT and SIGTERM are not among them: ffmpeg ends the file properly
    // on those.
    void removeOnFatalSignals();
    static void setChild(pid_t child);

private:
    std::string m_target;
    std::string m_path;
    int m_lockFd = -1;
    bool m_done = true;

    void release();
};
