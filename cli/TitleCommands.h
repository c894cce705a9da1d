#pragma once

#include <QString>

class QTextStream;

// The command line's title commands, run without a window: listing a DVD's
// titles and converting one of them with a preset of the catalogue.
namespace TitleCommands
{

// Exit codes of both commands.
enum ExitCode {
    ExitOk = 0,
    ExitConversionFailed = 1, // the converter failed, or the run was stopped
    ExitUsage = 2,            // no such title, category or preset; a bad value
    ExitSourceUnreadable = 3, // the source is not a DVD whose tables read
    ExitOutputUnusable = 4,   // the output folder cannot take the target
};

// Has the DVD tables this process reads read by the converter launcher in
// a child process, where a damaged IFO that crashes the DVD library cannot
// take the program with it. Called once at start.
void ReadTablesInLauncher();

// Prints one line per title of the DVD at strSource on out: its number, its
// duration as H:MM:SS.mmm, its chapter count, its audio tracks and subtitle
// streams, "main title" on the film's line and how its picture was scanned
// ("scan: interlaced"), as far as the launcher knows it from an earlier
// analysis ("scan: not analysed" otherwise); then the note on the main
// title's choice when it is uncertain. With bAnalyse the titles not analysed
// yet are analysed first, some seconds each.
int ListTitles(const QString &strSource, QTextStream &out, QTextStream &err, bool bAnalyse = false);

struct ConvertRequest {
    QString strSource;
    QString strTitle;     // the title's number as typed, or "main"
    QString strAudio;     // --audio: languages or track numbers; empty for the default
    QString strSubtitles; // --subtitles: a language, a stream number or "none"
    QString strCategory;
    QString strPreset;
    QString strOutput;
    bool bOverwrite = false; // replace an existing target
    bool bAnalyse = false;   // --list-titles: analyse the pictures not analysed yet
};

// Converts one title into strOutput, showing progress on err; answers an
// ExitCode. A stop request (SIGINT, SIGTERM) ends the run as Stop does.
int ConvertTitle(const ConvertRequest &request, QTextStream &out, QTextStream &err);

} // namespace TitleCommands
