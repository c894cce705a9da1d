#include "TracksDlg.h"

#include "ControlId.h"
#include "DialogUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace
{
// The track number an item of the audio list stands for.
constexpr int kTrackRole = Qt::UserRole;
} // namespace

CTracksDlg::CTracksDlg(QWidget *pParent) : QDialog(pParent)
{
    setWindowTitle(tr("Tracks"));
    SetCtrlId(this, IDD);
    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(300, 160)));

    auto *pAudioLabel =
        new QLabel(tr("Audio tracks (ticked ones are converted, in this order):"), this);
    pAudioLabel->setGeometry(units.ToPixels(QRect(7, 7, 286, 8)));

    m_listAudio = new QListWidget(this);
    SetCtrlId(m_listAudio, IDC_AUDIO);
    m_listAudio->setGeometry(units.ToPixels(QRect(7, 18, 230, 72)));

    auto *pUp = new QPushButton(tr("Up"), this);
    SetCtrlId(pUp, IDC_UP);
    pUp->setGeometry(units.ToPixels(QRect(243, 18, 50, 14)));
    auto *pDown = new QPushButton(tr("Down"), this);
    SetCtrlId(pDown, IDC_DOWN);
    pDown->setGeometry(units.ToPixels(QRect(243, 36, 50, 14)));

    auto *pSubtitleLabel = new QLabel(tr("Subtitles burned into the picture:"), this);
    pSubtitleLabel->setGeometry(units.ToPixels(QRect(7, 97, 286, 8)));
    m_comboSubtitles = new QComboBox(this);
    SetCtrlId(m_comboSubtitles, IDC_SUBTITLES);
    m_comboSubtitles->setGeometry(units.ToPixels(QRect(7, 108, 286, 14)));

    auto *pOk = new QPushButton(tr("OK"), this);
    SetCtrlId(pOk, IDOK);
    pOk->setDefault(true);
    pOk->setGeometry(units.ToPixels(QRect(189, 139, 50, 14)));
    m_btnOK = pOk;
    auto *pCancel = new QPushButton(tr("Cancel"), this);
    SetCtrlId(pCancel, IDCANCEL);
    pCancel->setGeometry(units.ToPixels(QRect(243, 139, 50, 14)));

    connect(pOk, &QPushButton::clicked, this, &CTracksDlg::accept);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pUp, &QPushButton::clicked, this, &CTracksDlg::OnMoveUp);
    connect(pDown, &QPushButton::clicked, this, &CTracksDlg::OnMoveDown);
    connect(m_listAudio, &QListWidget::itemChanged, this, &CTracksDlg::OnAudioChanged);
}

CTracksDlg::~CTracksDlg() = default;

int CTracksDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CTracksDlg::OnInitDialog()
{
    if (!m_strTitle.isEmpty())
        setWindowTitle(tr("Tracks of %1").arg(m_strTitle));
    m_bAudioTouched = false;
    DoDataExchange(false);
    return true;
}

void CTracksDlg::DoDataExchange(bool bSave)
{
    if (bSave) {
        if (m_bAudioTouched) {
            m_chosenAudio.clear();
            for (int i = 0; i < m_listAudio->count(); ++i) {
                const QListWidgetItem *pItem = m_listAudio->item(i);
                if (pItem->checkState() == Qt::Checked)
                    m_chosenAudio.push_back(pItem->data(kTrackRole).toInt());
            }
            m_bDefaultAudio = false;
        }
        m_nSubtitles = m_comboSubtitles->currentIndex();
        return;
    }

    const QSignalBlocker blocker(m_listAudio);
    m_listAudio->clear();
    std::vector<int> order = m_chosenAudio;
    for (int n = 1; n <= m_audioTracks.size(); ++n) {
        if (std::find(order.begin(), order.end(), n) == order.end())
            order.push_back(n);
    }
    for (const int n : order) {
        if (n < 1 || n > m_audioTracks.size())
            continue;
        auto *pItem = new QListWidgetItem(m_audioTracks[n - 1], m_listAudio);
        pItem->setData(kTrackRole, n);
        pItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool bChosen =
            std::find(m_chosenAudio.begin(), m_chosenAudio.end(), n) != m_chosenAudio.end();
        pItem->setCheckState(bChosen ? Qt::Checked : Qt::Unchecked);
    }
    if (m_listAudio->count() > 0)
        m_listAudio->setCurrentRow(0);

    m_comboSubtitles->clear();
    m_comboSubtitles->addItem(tr("Forced subtitles of the first track's language"));
    m_comboSubtitles->addItem(tr("None"));
    m_comboSubtitles->addItems(m_subtitleStreams);
    m_comboSubtitles->setCurrentIndex(m_nSubtitles >= 0 && m_nSubtitles < m_comboSubtitles->count()
                                          ? m_nSubtitles
                                          : kDefaultSubtitles);
    OnAudioChanged();
    m_bAudioTouched = false;
}

void CTracksDlg::accept()
{
    DoDataExchange(true);
    done(IDOK);
}

void CTracksDlg::OnAudioChanged()
{
    m_bAudioTouched = true;
    // A title with audio converts at least one track.
    bool bAny = m_listAudio->count() == 0;
    for (int i = 0; i < m_listAudio->count(); ++i)
        bAny = bAny || m_listAudio->item(i)->checkState() == Qt::Checked;
    m_btnOK->setEnabled(bAny);
}

void CTracksDlg::OnMoveUp()
{
    MoveSelected(-1);
}

void CTracksDlg::OnMoveDown()
{
    MoveSelected(1);
}

void CTracksDlg::MoveSelected(int nBy)
{
    const int nRow = m_listAudio->currentRow();
    const int nTo = nRow + nBy;
    if (nRow < 0 || nTo < 0 || nTo >= m_listAudio->count())
        return;
    const QSignalBlocker blocker(m_listAudio);
    QListWidgetItem *pItem = m_listAudio->takeItem(nRow);
    m_listAudio->insertItem(nTo, pItem);
    m_listAudio->setCurrentRow(nTo);
    m_bAudioTouched = true;
}
