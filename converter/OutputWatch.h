#pragma once

#include "OutcomeLines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads along what ffmpeg prints. It notices when ffmpeg reports that it
// could not write or close its output (a full disk, a read-only file system,
// a file's end that did not get written): ffmpeg 5.1 reports some of these
// and still exits with status 0, which would leave an unplayable file counted
// as done. Errors that only concern the input, such as damaged frames from a
// scratched disc, are not output errors. It also keeps what tells how far
// the conversion got: the clock of the latest progress report, the input's
// duration, and whether ffmpeg ended on the "q" command.
//
// Only ffmpeg's own message lines count: the lines of its description of the
// input and output (which print file names and tags) do not, and the paths
// given to setPaths are blanked out of every line before it is judged, so a
// folder named like an error message is no error.
class OutputWatch
{
public:
    void setPaths(std::vector<std::string> paths);
    void feed(const char *data, std::size_t size);
    void finish(); // the output has ended: a last line without a line end counts too

    bool outputFailed() const { return !m_failure.empty(); }
    // The first line that reported an output error.
    const std::string &failureLine() const { return m_failure; }
    // What kind of output error it was: DiskFull, NotWritable or Other.
    outcome::Failure failureKind() const { return m_kind; }
    // The last line that looks like an error message of any kind; empty when
    // there was none.
    const std::string &lastErrorLine() const { return m_lastError; }
    // Whether ffmpeg said it ends because it was sent "q".
    bool stopReceived() const { return m_stopReceived; }
    // The output's time in ms at the latest progress report, -1 before one.
    std::int64_t reachedMs() const { return m_reachedMs; }
    // The duration of the first input as ffmpeg printed it, -1 when unknown,
    // and that input's format name ("mpeg", "mov,mp4,...").
    std::int64_t inputDurationMs() const { return m_inputDurationMs; }
    const std::string &inputFormat() const { return m_inputFormat; }
    // Whether no stream of the source could be converted: the source has no
    // picture (or none ffmpeg can find).
    bool noPicture() const { return m_noPicture; }

    static bool isOutputError(const std::string &line);
    static bool looksLikeError(const std::string &line);
    // Whether a line is one of ffmpeg's own messages rather than part of its
    // description of the files (which starts "Input #", "Output #", "Stream
    // mapping:" or with blanks).
    static bool isMessageLine(const std::string &line);
    // Milliseconds of an "HH:MM:SS.cc" clock, -1 when it is none.
    static std::int64_t clockMs(const std::string &text);

private:
    void endLine();
    void readDescription(const std::string &line);

    std::vector<std::string> m_paths;
    std::string m_line;
    std::string m_failure;
    outcome::Failure m_kind = outcome::Failure::None;
    std::string m_lastError;
    bool m_stopReceived = false;
    bool m_noPicture = false;
    bool m_inFirstInput = false;
    std::int64_t m_reachedMs = -1;
    std::int64_t m_inputDurationMs = -1;
    std::string m_inputFormat;
};
