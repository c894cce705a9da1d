#pragma once

#include <string>

#include <sys/types.h>

// The hidden file beside a conversion's target that ffmpeg writes into. It
// takes the target's name only once the conversion has finished, by a
// rename within the same folder, so an existing target stays as it was
// until then and a crash leaves at most this hidden file, never a
// half-written target. Its name keeps the target's extension at the end, so
// ffmpeg still picks the output format from it:
//   /out/VTS_01_1.mp4  ->  /out/.VTS_01_1.torvane-Ab12Cd.mp4
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
    // Removes the file. Answers false with errno set when it stays.
    bool discard();

    // Whether a target is written directly instead: an existing device,
    // pipe or socket, which no rename may replace.
    static bool writesDirectly(const std::string &target);
    // The pattern the hidden name is made from, and the length of its
    // suffix after the "XXXXXX".
    static std::string pattern(const std::string &target, int &suffixLength);

    // From now on a signal that ends the launcher (hang-up, quit, ...) first
    // kills child (when not 0) and removes this file. The stop signals
    // SIGINT and SIGTERM are not among them: ffmpeg ends the file properly
    // on those.
    void removeOnFatalSignals();
    static void setChild(pid_t child);

private:
    std::string m_target;
    std::string m_path;
    bool m_done = true;
};
