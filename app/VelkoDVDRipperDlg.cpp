#include "VelkoDVDRipperDlg.h"

#include "AboutDlg.h"
#include "AppTexts.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "LoadingDlg.h"
#include "Options.h"
#include "PresetCatalogue.h"
#include "ResIcons.h"
#include "Resource.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace
{
// The main window's template, in dialog units.
const QSize kTemplateSize(626, 290);

// A static text at its template position; a caption that the font makes
// wider than the template's box keeps its full width instead of being cut.
QLabel *AddLabel(QWidget *pParent, const CDialogUnits &units, const QString &strText,
                 const QRect &rcTemplate)
{
    auto *pLabel = new QLabel(strText, pParent);
    QRect rc = units.ToPixels(rcTemplate);
    rc.setWidth(qMax(rc.width(), pLabel->sizeHint().width()));
    pLabel->setGeometry(rc);
    return pLabel;
}

QPushButton *AddButton(QWidget *pParent, const CDialogUnits &units, int nId, const QString &strText,
                       const QRect &rcTemplate)
{
    auto *pButton = new QPushButton(strText, pParent);
    SetCtrlId(pButton, nId);
    pButton->setAutoDefault(false); // Enter never presses a button of this window
    pButton->setGeometry(units.ToPixels(rcTemplate));
    return pButton;
}

QLineEdit *AddReadOnlyEdit(QWidget *pParent, const CDialogUnits &units, int nId,
                           const QRect &rcTemplate)
{
    auto *pEdit = new QLineEdit(pParent);
    SetCtrlId(pEdit, nId);
    pEdit->setReadOnly(true);
    pEdit->setGeometry(units.ToPixels(rcTemplate));
    return pEdit;
}

// A drop-down list at its template position; the template's height counts
// the open list, the closed box takes its natural height.
void PlaceCombo(QComboBox &combo, const CDialogUnits &units, int nId, const QRect &rcTemplate)
{
    SetCtrlId(&combo, nId);
    combo.setEditable(false);
    combo.setInsertPolicy(QComboBox::NoInsert);
    QRect rc = units.ToPixels(rcTemplate);
    rc.setHeight(combo.sizeHint().height());
    combo.setGeometry(rc);
}
} // namespace

CVelkoDVDRipperDlg::CVelkoDVDRipperDlg(QWidget *pParent)
    : QDialog(pParent), m_hIcon(LoadIconResource(IDR_MAINFRAME))
{
    SetCtrlId(this, IDD);
    // Caption, window menu, minimise and close; no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kAppCaption);

    m_pPresets = new PresetCatalogue;
    BuildPresetCatalogue(*m_pPresets);

    CreateControls();

    auto *pBrowseOutput = FindCtrl<QPushButton>(this, IDC_BROWSE_OUTPUT);
    auto *pOpenOutput = FindCtrl<QPushButton>(this, IDC_OPEN_OUTPUT);
    auto *pBrowseSnapshot = FindCtrl<QPushButton>(this, IDC_BROWSE_SNAPSHOT);
    connect(pBrowseOutput, &QPushButton::clicked, this, &CVelkoDVDRipperDlg::OnBrowseOutputFolder);
    connect(pOpenOutput, &QPushButton::clicked, this, &CVelkoDVDRipperDlg::OnOpenOutputFolder);
    connect(&m_wndToolBar, &CTextToolBar::Command, this, &CVelkoDVDRipperDlg::OnToolBarCommand);
    connect(&m_comboCategory, &QComboBox::activated, this, &CVelkoDVDRipperDlg::OnCategoryChanged);
    connect(&m_comboPreset, &QComboBox::activated, this, &CVelkoDVDRipperDlg::OnPresetChanged);
    connect(&m_listTitles, &QTableWidget::clicked, this, &CVelkoDVDRipperDlg::OnTitleClick);
    connect(pBrowseSnapshot, &QPushButton::clicked, this,
            &CVelkoDVDRipperDlg::OnBrowseSnapshotFolder);
}

CVelkoDVDRipperDlg::~CVelkoDVDRipperDlg()
{
    if (m_bInitDone && !m_bDestroyed)
        OnDestroy();
    delete m_pPresets;
}

void CVelkoDVDRipperDlg::CreateControls()
{
    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(kTemplateSize));

    // Controls in tab order.
    m_listTitles.setParent(this);
    SetCtrlId(&m_listTitles, IDC_LIST_TITLES);
    m_listTitles.setGeometry(units.ToPixels(QRect(7, 7, 368, 186)));
    m_listTitles.setSelectionMode(QAbstractItemView::SingleSelection);
    m_listTitles.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listTitles.setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listTitles.setWordWrap(false);
    m_listTitles.verticalHeader()->hide();
    m_listTitles.verticalHeader()->setDefaultSectionSize(m_listTitles.fontMetrics().height() + 6);
    m_listTitles.horizontalHeader()->setHighlightSections(false);

    AddLabel(this, units, tr("Convert to:"), QRect(7, 196, 38, 8));
    m_comboCategory.setParent(this);
    PlaceCombo(m_comboCategory, units, IDC_COMBO_CATEGORY, QRect(6, 209, 368, 30));
    AddLabel(this, units, tr("Preset:"), QRect(8, 227, 24, 8));
    m_comboPreset.setParent(this);
    PlaceCombo(m_comboPreset, units, IDC_COMBO_PRESET, QRect(6, 240, 368, 30));
    AddLabel(this, units, tr("Output Folder:"), QRect(8, 258, 48, 8));
    AddButton(this, units, IDC_BROWSE_OUTPUT, tr("..."), QRect(312, 270, 23, 14));
    AddButton(this, units, IDC_OPEN_OUTPUT, tr("Open"), QRect(340, 270, 34, 14));
    m_pEditOutput = AddReadOnlyEdit(this, units, IDC_OUTPUT_FOLDER, QRect(7, 270, 301, 14));

    // Only the frame's rectangle is used: the preview player fills it.
    m_pPreviewFrame = new QFrame(this);
    SetCtrlId(m_pPreviewFrame, IDC_PREVIEW_FRAME);
    m_pPreviewFrame->setGeometry(units.ToPixels(QRect(380, 7, 239, 185)));
    m_pPreviewFrame->hide();

    AddButton(this, units, IDC_BROWSE_SNAPSHOT, tr("..."), QRect(583, 227, 25, 14));
    m_pEditSnapshot = AddReadOnlyEdit(this, units, IDC_SNAPSHOT_FOLDER, QRect(392, 227, 178, 14));
    AddLabel(this, units, tr("Snapshot Folder:"), QRect(393, 216, 56, 8));
}

int CVelkoDVDRipperDlg::DoModal()
{
    if (!m_bInitDone)
        OnInitDialog();
    return exec();
}

bool CVelkoDVDRipperDlg::OnInitDialog()
{
    m_bInitDone = true;
    UpdateData(false);
    setWindowTitle(kAppCaption);
    LayoutWithToolBar();
    CreatePreviewPlayer();

    // X11 and Wayland offer no window menu to extend: "About" is in the
    // window's context menu and on F1.
    const QString strAboutMenu = LoadAppString(IDS_ABOUTBOX);
    if (!strAboutMenu.isEmpty()) {
        auto *pAbout = new QAction(strAboutMenu, this);
        SetCtrlId(pAbout, IDM_ABOUTBOX);
        pAbout->setShortcut(QKeySequence::HelpContents);
        connect(pAbout, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        addAction(pAbout);
    }

    setWindowIcon(m_hIcon);

    g_pOptions = new COptions;
    g_pOptions->LoadPaths();
    CWindowPlacement::RestorePlacement(*this);
    m_strOutputFolder = g_pOptions->m_strOutputPath;
    m_strSnapshotFolder = g_pOptions->m_strSnapshotPath;

    m_pLoadingDlg = new CLoadingDlg(this);

    // The title view: one row per DVD title instead of one per title file.
    auto *pListTitles = new QAction(tr("List DVD titles"), this);
    SetCtrlId(pListTitles, IDM_LISTTITLES);
    pListTitles->setCheckable(true);
    pListTitles->setChecked(g_pOptions->m_bListTitles);
    connect(pListTitles, &QAction::toggled, this, &CVelkoDVDRipperDlg::OnListTitles);
    CreatePictureActions();
    setAcceptDrops(true);

    // "FileName" 8/12 of the width, "Duration" 2/12, "Format" the rest, also
    // when a scroll bar takes part of the width.
    const int nWidth = m_listTitles.contentsRect().width();
    const int nUnit = nWidth / 12;
    m_listTitles.setColumnCount(3);
    m_listTitles.setHorizontalHeaderLabels({tr("FileName"), tr("Duration"), tr("Format")});
    for (int i = 0; i < 3; ++i)
        m_listTitles.horizontalHeaderItem(i)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_listTitles.setColumnWidth(0, 8 * nUnit);
    m_listTitles.setColumnWidth(1, 2 * nUnit);
    m_listTitles.setColumnWidth(2, nWidth - 10 * nUnit);
    m_listTitles.horizontalHeader()->setStretchLastSection(true);
    // Grid lines, full-row selection (set above) and check boxes (per row).
    m_listTitles.setShowGrid(true);

    m_comboCategory.clear();
    m_comboPreset.clear();
    for (int c = 0; c < m_pPresets->CategoryCount(); ++c)
        m_comboCategory.addItem(m_pPresets->CategoryName(c));
    m_comboCategory.setCurrentIndex(0);
    OnCategoryChanged();

    UpdateData(false);
    prevkit_setSnapshotFolder(m_hPlayer, g_pOptions->m_strSnapshotPath);
    return true;
}

void CVelkoDVDRipperDlg::DoDataExchange(bool bSave)
{
    if (bSave) {
        m_strOutputFolder = m_pEditOutput->text();
        m_strSnapshotFolder = m_pEditSnapshot->text();
    } else {
        m_pEditOutput->setText(m_strOutputFolder);
        m_pEditSnapshot->setText(m_strSnapshotFolder);
    }
}

bool CVelkoDVDRipperDlg::LayoutWithToolBar()
{
    if (!m_wndToolBar.CreateEx(this, CTextToolBar::kDefaultId) ||
        !m_wndToolBar.LoadToolBar(IDR_TOOLBAR))
        return false;
    QList<QIcon> icons;
    for (int nId : kToolBarIcons)
        icons << LoadIconResource(nId);
    m_wndToolBar.ReplaceImageList(icons);
    m_wndToolBar.SetButtonTexts();

    // Everything moves down by the toolbar's height and the window grows by
    // as much; the toolbar takes the top edge over the full width.
    const int nBarHeight = m_wndToolBar.sizeHint().height();
    const auto children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *pChild : children) {
        if (pChild != &m_wndToolBar && !pChild->isWindow())
            pChild->move(pChild->pos() + QPoint(0, nBarHeight));
    }
    setFixedSize(width(), height() + nBarHeight);
    m_wndToolBar.setGeometry(0, 0, width(), nBarHeight);
    return true;
}

void CVelkoDVDRipperDlg::CreatePreviewPlayer()
{
    if (!m_pPreviewFrame)
        return;
    const QRect rcArea = m_pPreviewFrame->geometry();
    m_hPlayer = prevkit_create(this, &rcArea);
}

void CVelkoDVDRipperDlg::OnToolBarCommand(int nId)
{
    switch (nId) {
    case ID_ADD_FROM_DISC:
        OnAddFromDisc();
        break;
    case ID_ADD_FROM_FOLDER:
        OnAddFromFolder();
        break;
    case ID_CLEAR:
        OnClear();
        break;
    case ID_CONVERT:
        OnConvert();
        break;
    default:
        break;
    }
}

void CVelkoDVDRipperDlg::OnSysCommand(int nID)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
    }
}

void CVelkoDVDRipperDlg::contextMenuEvent(QContextMenuEvent *pEvent)
{
    auto *pAbout = FindCtrl<QAction>(this, IDM_ABOUTBOX);
    if (!pAbout) {
        QDialog::contextMenuEvent(pEvent);
        return;
    }
    QMenu menu(this);
    // On a DVD title's row: its tracks.
    const QPoint ptList = m_listTitles.viewport()->mapFromGlobal(pEvent->globalPos());
    const int nRow =
        m_listTitles.viewport()->rect().contains(ptList) ? m_listTitles.rowAt(ptList.y()) : -1;
    if (nRow >= 0 && m_pDiscTitles) {
        QAction *pTracks = menu.addAction(tr("&Tracks..."));
        SetCtrlId(pTracks, IDM_TRACKS);
        connect(pTracks, &QAction::triggered, this, [this, nRow] { OnTitleTracks(nRow); });
        menu.addSeparator();
    }
    if (auto *pListTitles = FindCtrl<QAction>(this, IDM_LISTTITLES))
        menu.addAction(pListTitles);
    AddPictureMenu(menu);
    menu.addSeparator();
    menu.addAction(pAbout);
    menu.exec(pEvent->globalPos());
}

void CVelkoDVDRipperDlg::OnCategoryChanged()
{
    if (!m_pPresets)
        return;
    m_comboPreset.clear();
    for (int i = 0; i < m_pPresets->PresetCount(m_comboCategory.currentIndex()); ++i)
        m_comboPreset.addItem(m_pPresets->PresetName(m_comboCategory.currentIndex(), i));
    m_comboPreset.setCurrentIndex(0);
    m_strPresetArgs =
        m_pPresets->PresetArguments(m_comboCategory.currentIndex(), m_comboPreset.currentIndex());
}

void CVelkoDVDRipperDlg::OnPresetChanged()
{
    if (!m_pPresets)
        return;
    m_strPresetArgs =
        m_pPresets->PresetArguments(m_comboCategory.currentIndex(), m_comboPreset.currentIndex());
}

void CVelkoDVDRipperDlg::accept() {}

void CVelkoDVDRipperDlg::reject() {}

void CVelkoDVDRipperDlg::closeEvent(QCloseEvent *pEvent)
{
    OnClose();
    pEvent->setAccepted(!isVisible());
}

void CVelkoDVDRipperDlg::OnClose()
{
    // While a dialog of this window runs (a conversion, a load) the window
    // stays: that dialog owns work that must end first.
    const QWidget *pModal = QApplication::activeModalWidget();
    if (pModal && pModal != this)
        return;
    done(IDCANCEL);
}

void CVelkoDVDRipperDlg::done(int nResult)
{
    if (m_bInitDone && !m_bDestroyed)
        OnDestroy();
    QDialog::done(nResult);
}

void CVelkoDVDRipperDlg::OnDestroy()
{
    m_bDestroyed = true;
    UpdateData(true);
    if (g_pOptions) {
        g_pOptions->m_strOutputPath = m_strOutputFolder;
        g_pOptions->m_strSnapshotPath = m_strSnapshotFolder;
        g_pOptions->SavePaths();
    }
    CWindowPlacement::SavePlacement(*this);

    prevkit_release(m_hPlayer);
    m_hPlayer = nullptr;
    delete g_pOptions;
    g_pOptions = nullptr;
    delete m_pLoadingDlg;
    m_pLoadingDlg = nullptr;
    delete m_pPresets;
    m_pPresets = nullptr;
}
