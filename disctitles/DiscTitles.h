#pragma once

#include "TrackChoice.h"

#include <QList>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace dvd
{
class Disc;
struct Title;
struct VideoInfo;
} // namespace dvd

// The titles of one DVD, read from its tables, with the texts the title view
// and the command line show for them.
class CDiscTitles
{
public:
    // Opens a DVD folder (or the folder holding VIDEO_TS), a mount point, a
    // device or an ISO image. On failure IsOpen() is false and Error() says why.
    // Setting *pCancel ends a read of the tables in a child process early.
    static CDiscTitles Open(const QString &strSource, const std::atomic<bool> *pCancel = nullptr);

    bool IsOpen() const { return m_pDisc != nullptr; }
    QString Error() const { return m_strError; }
    QString Source() const { return m_strSource; }
    // The volume label, or the folder's or image's name (see DiscLabel).
    QString Label() const { return m_strLabel; }
    const std::vector<dvd::Title> &Titles() const;
    const dvd::Title *Title(int nNumber) const;
    // Position in Titles() of the main title, the one a player plays as the
    // film (see dvd::Disc::mainTitle), -1 for none.
    int MainTitle() const;
    // Why the main title is uncertain, or empty.
    QString MainTitleNote() const;
    // Every piece file the titles lie in, for the scrambling check; empty
    // for an image.
    QStringList PieceFiles() const;

    // The job source the engine converts the title from, with the track
    // choice; its file name is the title's target name, "LABEL - Title NN".
    QString JobSource(const dvd::Title &title, const titles::TrackChoice &choice = {}) const;
    // The title view's "FileName" text: "LABEL - Title NN (3 chapters;
    // audio 1: English AC-3 2 ch, ...; subtitles 1: English) - audio 1,
    // forced English subtitles": the tracks and what the choice converts,
    // and on the main title's row the note on its choice when there is one.
    // A title that cannot be read: "LABEL - Title NN (unreadable: why)".
    QString RowText(const dvd::Title &title, const titles::TrackChoice &choice = {}) const;

private:
    QString m_strSource;
    QString m_strLabel;
    QString m_strError;
    std::shared_ptr<dvd::Disc> m_pDisc;
};

// The name a DVD goes by: the volume label of a mounted disc or an image, or
// else the folder's name (the parent's for a VIDEO_TS folder) or the image's
// file name without its extension.
QString DiscLabel(const QString &strSource);

// " HH:MM:SS", as a file's duration shows in the list.
QString TitleDurationText(qint64 nMs);
// "H:MM:SS.mmm".
QString TitleClockText(qint64 nMs);
// " MPEG2" or " MPEG1", as a file's format shows in the list.
QString TitleFormatText(const dvd::VideoInfo &video);
// The English name of a two-letter language code, "Unknown" for none.
QString LanguageName(const QString &strCode);
// One line of the command line's title list: "Title 1: 0:01:05.000,
// 3 chapters, audio: 1 en (AC-3, 2 ch, commentary), 2 fr (MPEG audio, 2 ch),
// subtitles: 1 en, 2 fr (forced)", then how its picture was scanned where
// strScan is given (", scan: interlaced"), ending in ", main title" for the
// main title; "Title 4: unreadable: why" for a title that cannot be read.
QString TitleListLine(const dvd::Title &title, bool bMainTitle = false,
                      const QString &strScan = {});
