#pragma once

#include <cstddef>
#include <string>

// Reads along what ffmpeg prints and notices when it reports that it could
// not write or close its output: a full disk, a read-only file system, a
// file's end (the trailer) that did not get written. ffmpeg 5.1 reports
// some of these and still exits with status 0, which would leave an
// unplayable file counted as done. Errors that only concern the input, such
// as damaged frames from a scratched disc, are not output errors.
class OutputWatch
{
public:
    void feed(const char *data, std::size_t size);
    void finish(); // the output has ended: a last line without a line end counts too

    bool outputFailed() const { return !m_failure.empty(); }
    // The first line that reported an output error.
    const std::string &failureLine() const { return m_failure; }
    // The last line that looks like an error message of any kind; empty when
    // there was none.
    const std::string &lastErrorLine() const { return m_lastError; }

    static bool isOutputError(const std::string &line);
    static bool looksLikeError(const std::string &line);

private:
    void endLine();

    std::string m_line;
    std::string m_failure;
    std::string m_lastError;
};
