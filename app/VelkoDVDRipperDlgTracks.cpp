// The track choice of a DVD title's row: the Tracks dialog, and the row's
// text and job source made again from the choice.
#include "VelkoDVDRipperDlg.h"

#include "DiscTitles.h"
#include "TitleSource.h"
#include "TrackRule.h"
#include "TrackTexts.h"
#include "TracksDlg.h"

void CVelkoDVDRipperDlg::OnTitleTracks(int nRow)
{
    QTableWidgetItem *pName = m_listTitles.item(nRow, 0);
    if (!pName || !m_pDiscTitles)
        return;
    std::optional<titles::TitleSource> source =
        titles::parseTitleSource(pName->data(kJobSourceRole).toString().toStdString());
    const dvd::Title *pTitle = source ? m_pDiscTitles->Title(source->title) : nullptr;
    if (!pTitle)
        return;
    titles::TrackChoice &choice = source->choice;

    CTracksDlg dlg(this);
    dlg.m_strTitle = QString::fromStdString(source->name);
    for (int i = 0; i < int(pTitle->audio.size()); ++i)
        dlg.m_audioTracks << AudioTrackText(pTitle->audio[std::size_t(i)], i + 1);
    for (int i = 0; i < int(pTitle->subtitles.size()); ++i)
        dlg.m_subtitleStreams << SubtitleStreamText(pTitle->subtitles[std::size_t(i)], i + 1);
    dlg.m_bDefaultAudio = choice.audio.empty();
    dlg.m_chosenAudio.clear();
    for (const int nTrack : titles::chosenAudioTracks(pTitle->audio, choice, "en", false))
        dlg.m_chosenAudio.push_back(nTrack + 1);
    dlg.m_nSubtitles = choice.subtitles == titles::TrackChoice::Subtitles::None
                           ? CTracksDlg::kNoSubtitles
                       : choice.subtitles == titles::TrackChoice::Subtitles::Stream
                           ? CTracksDlg::kFirstStream + choice.subtitleStream - 1
                           : CTracksDlg::kDefaultSubtitles;
    if (dlg.DoModal() != IDOK)
        return;

    if (!dlg.m_bDefaultAudio)
        choice.audio = dlg.m_chosenAudio;
    choice.subtitles = titles::TrackChoice::Subtitles::Default;
    choice.subtitleStream = 0;
    if (dlg.m_nSubtitles == CTracksDlg::kNoSubtitles) {
        choice.subtitles = titles::TrackChoice::Subtitles::None;
    } else if (dlg.m_nSubtitles >= CTracksDlg::kFirstStream) {
        choice.subtitles = titles::TrackChoice::Subtitles::Stream;
        choice.subtitleStream = dlg.m_nSubtitles - CTracksDlg::kFirstStream + 1;
    }
    pName->setText(m_pDiscTitles->RowText(*pTitle, choice));
    pName->setData(kJobSourceRole, m_pDiscTitles->JobSource(*pTitle, choice));
    pName->setData(kPreviewRole, m_pDiscTitles->JobSource(*pTitle, choice));
}
