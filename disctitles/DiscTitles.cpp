#include "DiscTitles.h"

#include "Disc.h"
#include "DiscTypes.h"
#include "TitleSource.h"
#include "TrackTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

#include <algorithm>

namespace
{

const std::vector<dvd::Title> kNoTitles;

// The volume identifier of an ISO 9660 image or disc (its primary volume
// descriptor at sector 16), blanks trimmed; empty when there is none.
QString ImageVolumeLabel(const QString &strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(16 * dvd::sectorSize))
        return {};
    const QByteArray descriptor = file.read(72);
    if (descriptor.size() < 72 || descriptor[0] != 1 || descriptor.mid(1, 5) != "CD001")
        return {};
    return QString::fromLatin1(descriptor.mid(40, 32)).trimmed();
}

} // namespace

CDiscTitles CDiscTitles::Open(const QString &strSource, const std::atomic<bool> *pCancel)
{
    CDiscTitles titles;
    titles.m_strSource = strSource;
    dvd::OpenOptions options;
    options.cancel = pCancel;
    const dvd::OpenResult result =
        dvd::Disc::open(QFile::encodeName(strSource).toStdString(), options);
    if (!result) {
        titles.m_strError = QString::fromStdString(result.message);
        return titles;
    }
    titles.m_pDisc = result.disc;
    titles.m_strLabel = DiscLabel(strSource);
    return titles;
}

const std::vector<dvd::Title> &CDiscTitles::Titles() const
{
    return m_pDisc ? m_pDisc->titles() : kNoTitles;
}

const dvd::Title *CDiscTitles::Title(int nNumber) const
{
    return m_pDisc ? m_pDisc->title(nNumber) : nullptr;
}

int CDiscTitles::MainTitle() const
{
    if (!m_pDisc)
        return -1;
    const int nNumber = m_pDisc->mainTitle().number;
    const auto &titles = Titles();
    for (int i = 0; i < int(titles.size()); ++i) {
        if (titles[i].number == nNumber)
            return i;
    }
    return -1;
}

QString CDiscTitles::MainTitleNote() const
{
    return m_pDisc ? QString::fromStdString(m_pDisc->mainTitle().note) : QString();
}

QStringList CDiscTitles::PieceFiles() const
{
    QStringList files;
    if (!m_pDisc || !QFileInfo(m_strSource).isDir())
        return files;
    for (const dvd::TitleSet &set : m_pDisc->titleSets()) {
        for (const dvd::Piece &piece : set.pieces) {
            if (!piece.path.empty() && !piece.titles.empty())
                files << QFile::decodeName(QByteArray::fromStdString(piece.path));
        }
    }
    return files;
}

QString CDiscTitles::JobSource(const dvd::Title &title, const titles::TrackChoice &choice) const
{
    titles::TitleSource source;
    source.disc = QFile::encodeName(m_strSource).toStdString();
    source.title = title.number;
    source.name = titles::titleFileName(m_strLabel.toStdString(), title.number);
    source.choice = choice;
    return QString::fromStdString(titles::makeTitleSource(source));
}

QString CDiscTitles::RowText(const dvd::Title &title, const titles::TrackChoice &choice) const
{
    if (!title.unreadable.empty())
        return QStringLiteral("%1 (unreadable: %2)")
            .arg(QString::fromStdString(
                     titles::titleFileName(m_strLabel.toStdString(), title.number)),
                 QString::fromStdString(title.unreadable));
    const int nChapters = int(title.chapters.size());
    const QString strChapters =
        nChapters == 1 ? QStringLiteral("1 chapter") : QStringLiteral("%1 chapters").arg(nChapters);
    const QString strName =
        QString::fromStdString(titles::titleFileName(m_strLabel.toStdString(), title.number));
    QString strText =
        QStringLiteral("%1 (%2; %3) - %4")
            .arg(strName, strChapters, TrackListText(title), TrackChoiceText(title, choice));
    // The uncertainty of the main title's choice shows on its row.
    const int nMain = MainTitle();
    if (nMain >= 0 && Titles()[std::size_t(nMain)].number == title.number &&
        !MainTitleNote().isEmpty())
        strText += QStringLiteral(" - ") + MainTitleNote();
    return strText;
}

QString DiscLabel(const QString &strSource)
{
    const QFileInfo info(strSource);
    if (!info.isDir()) {
        const QString strVolume = ImageVolumeLabel(strSource);
        return strVolume.isEmpty() ? info.completeBaseName() : strVolume;
    }
    const QString strFolder = QDir::cleanPath(info.absoluteFilePath());
    const QStorageInfo storage(strFolder);
    if (storage.isValid() && QDir::cleanPath(storage.rootPath()) == strFolder &&
        !storage.name().isEmpty())
        return storage.name();
    QDir dir(strFolder);
    if (dir.dirName().compare(QStringLiteral("VIDEO_TS"), Qt::CaseInsensitive) == 0)
        dir.cdUp();
    return dir.dirName().isEmpty() ? QStringLiteral("DVD") : dir.dirName();
}

QString TitleDurationText(qint64 nMs)
{
    const qint64 nSeconds = qMax<qint64>(0, nMs) / 1000;
    return QStringLiteral(" %1:%2:%3")
        .arg(nSeconds / 3600, 2, 10, QChar(u'0'))
        .arg(nSeconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(nSeconds % 60, 2, 10, QChar(u'0'));
}

QString TitleClockText(qint64 nMs)
{
    nMs = qMax<qint64>(0, nMs);
    return QStringLiteral("%1:%2:%3.%4")
        .arg(nMs / 3600000)
        .arg(nMs / 60000 % 60, 2, 10, QChar(u'0'))
        .arg(nMs / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(nMs % 1000, 3, 10, QChar(u'0'));
}

QString TitleFormatText(const dvd::VideoInfo &video)
{
    return video.mpeg1 ? QStringLiteral(" MPEG1") : QStringLiteral(" MPEG2");
}

QString LanguageName(const QString &strCode)
{
    if (strCode.size() == 2) {
        const QLocale::Language language =
            QLocale::codeToLanguage(strCode.toLower(), QLocale::ISO639Part1);
        if (language != QLocale::AnyLanguage)
            return QLocale::languageToString(language);
    }
    return QStringLiteral("Unknown");
}

QString TitleListLine(const dvd::Title &title, bool bMainTitle, const QString &strScan)
{
    if (!title.unreadable.empty())
        return QStringLiteral("Title %1: unreadable: %2")
            .arg(title.number)
            .arg(QString::fromStdString(title.unreadable));
    QStringList audio;
    for (int i = 0; i < int(title.audio.size()); ++i)
        audio << AudioListText(title.audio[std::size_t(i)], i + 1);
    QStringList subtitles;
    for (int i = 0; i < int(title.subtitles.size()); ++i)
        subtitles << SubtitleListText(title.subtitles[std::size_t(i)], i + 1);
    const int nChapters = int(title.chapters.size());
    QString strLine =
        QStringLiteral("Title %1: %2, %3 %4, audio: %5, subtitles: %6")
            .arg(title.number)
            .arg(TitleClockText(title.durationMs))
            .arg(nChapters)
            .arg(nChapters == 1 ? QStringLiteral("chapter") : QStringLiteral("chapters"))
            .arg(audio.isEmpty() ? QStringLiteral("none") : audio.join(u", "),
                 subtitles.isEmpty() ? QStringLiteral("none") : subtitles.join(u", "));
    if (!strScan.isEmpty())
        strLine += QStringLiteral(", scan: ") + strScan;
    if (bMainTitle)
        strLine += QStringLiteral(", main title");
    return strLine;
}
