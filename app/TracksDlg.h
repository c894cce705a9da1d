#pragma once

#include "Resource.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;

// "Tracks": the audio tracks and the subtitles of one DVD title that are
// converted and previewed. The audio tracks are listed with a check box
// each, the chosen ones first in the order they come out; "Up" and "Down"
// move the selected track. The subtitles are the default (the forced
// subtitles of the first track's language), none, or one stream burned in.
class CTracksDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_TRACKS;
    static constexpr int IDC_AUDIO = IDC_TRACKS_AUDIO;
    static constexpr int IDC_UP = IDC_TRACKS_UP;
    static constexpr int IDC_DOWN = IDC_TRACKS_DOWN;
    static constexpr int IDC_SUBTITLES = IDC_TRACKS_SUBTITLES;

    // m_nSubtitles: the default, none, or stream m_nSubtitles - kFirstStream + 1.
    static constexpr int kDefaultSubtitles = 0;
    static constexpr int kNoSubtitles = 1;
    static constexpr int kFirstStream = 2;

    explicit CTracksDlg(QWidget *pParent = nullptr);
    ~CTracksDlg() override;

    // IDOK or IDCANCEL.
    int DoModal();

    // Set before DoModal: the title's name, its audio tracks and subtitle
    // streams as the title row lists them, in the tables' order.
    QString m_strTitle;
    QStringList m_audioTracks;
    QStringList m_subtitleStreams;
    // In and out: the chosen audio tracks (numbers from 1, in the order they
    // come out); m_bDefaultAudio while the title converts its default
    // tracks, which the list shows ticked. Left as they were unless the user
    // changed the list.
    std::vector<int> m_chosenAudio;
    bool m_bDefaultAudio = true;
    int m_nSubtitles = kDefaultSubtitles;

protected:
    bool OnInitDialog();
    void DoDataExchange(bool bSave);
    void accept() override;
    void OnMoveUp();
    void OnMoveDown();
    void OnAudioChanged();

private:
    void MoveSelected(int nBy);

    QListWidget *m_listAudio = nullptr;
    QComboBox *m_comboSubtitles = nullptr;
    QPushButton *m_btnOK = nullptr;
    bool m_bAudioTouched = false;
};
