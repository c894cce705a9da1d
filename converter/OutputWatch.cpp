#include "OutputWatch.h"

#include <cstdio>
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

constexpr const char *diskFullErrors[] = {"No space left on device", "Disk quota exceeded",
                                          "File too large"};
constexpr const char *notWritableErrors[] = {"Read-only file system", "Permission denied"};

// What ffmpeg 5.1 says when the source gives it nothing to convert.
constexpr const char *noPictureErrors[] = {
    "matches no streams",
    "does not contain any stream",
    "Could not find codec parameters for stream 0",
};

constexpr const char *errorWords[] = {
    "Error",  "error",     "Invalid",   "invalid", "Unknown",   "Unrecognized", "Unable", "Cannot",
    "cannot", "Could not", "could not", "No such", "not found", "failed",       "Failed", "denied",
};

constexpr const char kStopLine[] = "[q] command received. Exiting.";

template <std::size_t N> bool containsAny(const std::string &line, const char *const (&words)[N])
{
    for (const char *word : words)
        if (line.find(word) != std::string::npos)
            return true;
    return false;
}

bool isProgress(const std::string &line)
{
    const std::size_t start = line.find_first_not_of(' ');
    return start != std::string::npos &&
           (line.compare(start, 6, "frame=") == 0 || line.compare(start, 5, "size=") == 0);
}

bool startsWith(const std::string &line, const char *prefix)
{
    return line.rfind(prefix, 0) == 0;
}

} // namespace

void OutputWatch::setPaths(std::vector<std::string> paths)
{
    m_paths.clear();
    for (std::string &path : paths) {
        if (!path.empty())
            m_paths.push_back(std::move(path));
    }
}

std::int64_t OutputWatch::clockMs(const std::string &text)
{
    int h = 0, m = 0, s = 0, cs = 0;
    char colon1 = 0, colon2 = 0, dot = 0;
    if (std::sscanf(text.c_str(), "%d%c%2d%c%2d%c%2d", &h, &colon1, &m, &colon2, &s, &dot, &cs) !=
            7 ||
        colon1 != ':' || colon2 != ':' || dot != '.' || h < 0)
        return -1;
    return ((std::int64_t(h) * 60 + m) * 60 + s) * 1000 + cs * 10;
}

bool OutputWatch::isMessageLine(const std::string &line)
{
    return !line.empty() && line[0] != ' ' && line[0] != '\t' && !startsWith(line, "Input #") &&
           !startsWith(line, "Output #") && !startsWith(line, "Stream mapping:");
}

bool OutputWatch::isOutputError(const std::string &line)
{
    return isMessageLine(line) && containsAny(line, outputErrors);
}

bool OutputWatch::looksLikeError(const std::string &line)
{
    return isMessageLine(line) && !isProgress(line) && line != "Conversion failed!" &&
           (isOutputError(line) || containsAny(line, errorWords));
}

void OutputWatch::readDescription(const std::string &line)
{
    if (startsWith(line, "Input #0, ")) {
        m_inFirstInput = true;
        const std::size_t from = line.rfind(", from '");
        m_inputFormat = line.substr(10, from == std::string::npos ? 0 : from - 10);
    } else if (startsWith(line, "Input #") || startsWith(line, "Output #") ||
               startsWith(line, "Stream mapping:")) {
        m_inFirstInput = false;
    } else if (m_inFirstInput && m_inputDurationMs < 0 && startsWith(line, "  Duration: ")) {
        m_inputDurationMs = clockMs(line.substr(12));
    }
}

void OutputWatch::endLine()
{
    if (m_line.empty())
        return;
    std::string line = m_line;
    m_line.clear();
    readDescription(line);
    if (isProgress(line)) {
        const std::size_t time = line.find("time=");
        if (time != std::string::npos) {
            const std::int64_t ms = clockMs(line.substr(time + 5));
            if (ms >= 0)
                m_reachedMs = ms;
        }
        return;
    }
    if (!isMessageLine(line))
        return;
    if (line.find(kStopLine) != std::string::npos)
        m_stopReceived = true;
    // The line as judged: every known path taken out of it.
    std::string judged = line;
    for (const std::string &path : m_paths) {
        for (std::size_t at = judged.find(path); at != std::string::npos;
             at = judged.find(path, at + 1))
            judged.replace(at, path.size(), "FILE");
    }
    if (containsAny(judged, noPictureErrors))
        m_noPicture = true;
    if (m_failure.empty() && isOutputError(judged)) {
        m_failure = line;
        m_kind = containsAny(judged, diskFullErrors)      ? outcome::Failure::DiskFull
                 : containsAny(judged, notWritableErrors) ? outcome::Failure::NotWritable
                                                          : outcome::Failure::Other;
    }
    if (looksLikeError(judged))
        m_lastError = line;
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
