#include "OutputWatch.h"

#include <iterator>

namespace
{

// What ffmpeg and its libraries print when writing or closing the output
// fails, and the system's texts for the errors only writing can meet.
constexpr const char *outputErrors[] = {
    "Error writing trailer",        "Error closing file",
    "av_interleaved_write_frame()", "Could not write header for output file",
    "Error muxing a packet",        "Error submitting a packet to the muxer",
    "No space left on device",      "Disk quota exceeded",
    "Read-only file system",        "File too large",
};

constexpr const char *errorWords[] = {
    "Error",  "error",     "Invalid",   "invalid", "Unknown",   "Unrecognized", "Unable", "Cannot",
    "cannot", "Could not", "could not", "No such", "not found", "failed",       "Failed", "denied",
};

bool containsAny(const std::string &line, const char *const *begin, const char *const *end)
{
    for (auto it = begin; it != end; ++it)
        if (line.find(*it) != std::string::npos)
            return true;
    return false;
}

bool isProgress(const std::string &line)
{
    const std::size_t start = line.find_first_not_of(' ');
    return start != std::string::npos &&
           (line.compare(start, 6, "frame=") == 0 || line.compare(start, 5, "size=") == 0);
}

} // namespace

bool OutputWatch::isOutputError(const std::string &line)
{
    return containsAny(line, std::begin(outputErrors), std::end(outputErrors));
}

bool OutputWatch::looksLikeError(const std::string &line)
{
    return !isProgress(line) && line != "Conversion failed!" &&
           (isOutputError(line) || containsAny(line, std::begin(errorWords), std::end(errorWords)));
}

void OutputWatch::endLine()
{
    if (!m_line.empty()) {
        if (m_failure.empty() && isOutputError(m_line))
            m_failure = m_line;
        if (looksLikeError(m_line))
            m_lastError = m_line;
    }
    m_line.clear();
}

void OutputWatch::feed(const char *data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r')
            endLine();
        else if (m_line.size() < 4096)
            m_line.push_back(c);
    }
}

void OutputWatch::finish()
{
    endLine();
}
