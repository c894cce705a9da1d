#include "XFolderDialog.h"

#include "AppProfile.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "SettingValue.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

namespace
{
const QString kHistorySection = QStringLiteral("FolderHistory");
const QString kHistoryPrefix = QStringLiteral("Folder");
const CSettingValue<int> kViewMode("XFolderDialog", "ViewMode", 0);

// The nearest folder at or above strPath that exists, or "" when none does.
QString ExistingFolderFor(const QString &strPath)
{
    QString folder = QDir::cleanPath(strPath);
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return {};
        folder = parent;
    }
    return folder;
}
} // namespace

CXFolderDialog::CXFolderDialog(const QString &strInitialFolder, QWidget *pParent)
    : QFileDialog(pParent), m_cboFolderHistory(this), m_strInitialFolder(strInitialFolder)
{
    // Qt's own dialog, so that its parts can be rearranged; folders only.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's dialogs share their last view in one settings file of all Qt
    // programs: start from the list view and let our own setting decide.
    setViewMode(QFileDialog::List);

    m_pModel = findChild<QFileSystemModel *>();
    m_pListView = findChild<QListView *>(QStringLiteral("listView"));

    m_pFolderLabel = new QLabel(tr("Folder &name:"), this);
    SetCtrlId(m_pFolderLabel, IDC_FOLDER_LABEL);
    m_pFolderLabel->setBuddy(&m_cboFolderHistory);

    SetCtrlId(&m_cboFolderHistory, IDC_FOLDER_HISTORY);
    m_cboFolderHistory.setEditable(true);
    // No inline completion from the history: what the user types stays as typed.
    m_cboFolderHistory.setCompleter(nullptr);
#ifndef Q_OS_WIN
    // "Movies" and "movies" are different folders here.
    m_cboFolderHistory.m_csMatch = Qt::CaseSensitive;
#endif

    m_pOkButton = new QPushButton(tr("OK"), this);
    SetCtrlId(m_pOkButton, IDOK);

    const CDialogUnits units(font());
    m_cboFolderHistory.setMinimumWidth(units.ToPixelsX(103));
    // Like the file-name field it replaces, the combo takes the spare width.
    m_cboFolderHistory.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pOkButton->setMinimumSize(units.ToPixels(QSize(40, 14)));

    ReplaceFileNameRow();

    connect(m_pOkButton, &QPushButton::clicked, this, &CXFolderDialog::OnOK);
    connect(&m_cboFolderHistory, &QComboBox::activated, this,
            &CXFolderDialog::OnSelEndOkFolderHistory);
    m_cboFolderHistory.installEventFilter(this); // leaving the combo: OnKillFocusFolderHistory
    connect(m_cboFolderHistory.lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_bTypedPath = true; });
    if (m_pModel)
        connect(m_pModel, &QFileSystemModel::rootPathChanged, this,
                &CXFolderDialog::OnFolderChange);
    if (m_pListView && m_pListView->selectionModel())
        connect(m_pListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &CXFolderDialog::OnSelChange);
}

CXFolderDialog::~CXFolderDialog()
{
    // Remembered whether or not the dialog was accepted; a dialog that never
    // ran leaves the stored view alone.
    if (m_bPersistViewMode && m_bTrackViewMode && m_nShellViewMode != 0)
        kViewMode.Set(m_nShellViewMode);
}

void CXFolderDialog::ReplaceFileNameRow()
{
    // The file-name and file-type rows make no sense for a folder: they are
    // hidden, and our label, combo and OK button take the file-name row.
    const char *const hidden[] = {"fileNameEdit", "fileNameLabel", "fileTypeCombo",
                                  "fileTypeLabel"};
    for (const char *pszName : hidden) {
        if (QWidget *pWidget = findChild<QWidget *>(QLatin1String(pszName))) {
            pWidget->hide();
            pWidget->setEnabled(false);
        }
    }

    auto *pButtons = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (pButtons) {
        if (QPushButton *pOpen = pButtons->button(QDialogButtonBox::Open)) {
            pOpen->setDefault(false);
            pOpen->setAutoDefault(false);
            pOpen->hide();
        }
        if (QPushButton *pCancel = pButtons->button(QDialogButtonBox::Cancel))
            SetCtrlId(pCancel, IDCANCEL);
    }
    m_pOkButton->setDefault(true);

    auto *pGrid = findChild<QGridLayout *>(QStringLiteral("gridLayout"));
    if (pGrid) {
        for (const char *pszName : {"fileNameEdit", "fileNameLabel"}) {
            if (QWidget *pWidget = findChild<QWidget *>(QLatin1String(pszName)))
                pGrid->removeWidget(pWidget);
        }
        if (pButtons)
            pGrid->removeWidget(pButtons);
        const int row = pGrid->rowCount() - 2; // the file-name row, above the file-type row
        pGrid->addWidget(m_pFolderLabel, row, 0);
        pGrid->addWidget(&m_cboFolderHistory, row, 1);
        pGrid->addWidget(m_pOkButton, row, 2);
        if (pButtons)
            pGrid->addWidget(pButtons, row + 1, 2);
    } else if (layout()) {
        // A dialog laid out differently: the row goes at the bottom.
        auto *pRow = new QHBoxLayout;
        pRow->addWidget(m_pFolderLabel);
        pRow->addWidget(&m_cboFolderHistory, 1);
        pRow->addWidget(m_pOkButton);
        if (auto *pBox = qobject_cast<QBoxLayout *>(layout()))
            pBox->addLayout(pRow);
    }
}

int CXFolderDialog::DoModal()
{
    m_bFirstFolderChange = true;
    // Like any dialog opened from another one, it belongs to the window the
    // user is working in: centred over it and kept above it.
    if (!parentWidget()) {
        QWidget *pOwner = QApplication::activeModalWidget();
        if (!pOwner)
            pOwner = QApplication::activeWindow();
        if (pOwner && pOwner != this)
            setParent(pOwner, windowFlags());
    }
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    } else {
        OnFolderChange(directory().absolutePath());
    }
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CXFolderDialog::OnInitDialog()
{
    m_cboFolderHistory.SetMaxItems(50);
    m_cboFolderHistory.m_nDropItems = 20;
    m_cboFolderHistory.m_bOnlyExisting = true;
    m_cboFolderHistory.LoadHistory(kHistorySection, kHistoryPrefix, true, QString());
    if (m_cboFolderHistory.count() > 0)
        m_cboFolderHistory.setEditText(m_cboFolderHistory.itemText(0));

    setWindowTitle(m_strTitle.isEmpty() ? tr("Select Folder") : m_strTitle);

    // A start folder that has gone (a stored folder since deleted) opens its
    // nearest existing parent rather than an empty view.
    if (!m_strInitialFolder.isEmpty()) {
        const QString folder = ExistingFolderFor(m_strInitialFolder);
        if (!folder.isEmpty())
            setDirectory(folder);
    }
    if (m_bFirstFolderChange) // the folder did not change: the first one is the current one
        OnFolderChange(directory().absolutePath());
}

void CXFolderDialog::DoDataExchange(bool bSave)
{
    if (bSave)
        m_strPath = m_cboFolderHistory.currentText();
    else
        m_cboFolderHistory.setEditText(m_strPath);
}

void CXFolderDialog::setVisible(bool bVisible)
{
    QFileDialog::setVisible(bVisible);
    if (bVisible) {
        // The combo is the input field: it gets the focus, with the cursor at
        // the end of its text and nothing selected.
        m_cboFolderHistory.setFocus(Qt::OtherFocusReason);
        m_cboFolderHistory.lineEdit()->deselect();
        m_cboFolderHistory.lineEdit()->end(false);
    }
}

bool CXFolderDialog::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched == &m_cboFolderHistory && pEvent->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(pEvent)->reason() != Qt::PopupFocusReason)
        OnKillFocusFolderHistory();
    return QFileDialog::eventFilter(pWatched, pEvent);
}

QString CXFolderDialog::GetFilePath() const
{
    // The folder selected in the view, or "" when none is.
    if (!m_pListView || !m_pListView->selectionModel() || !m_pModel)
        return {};
    const QModelIndexList selected = m_pListView->selectionModel()->selectedIndexes();
    for (QModelIndex index : selected) {
        if (index.column() != 0)
            continue;
        if (auto *pProxy = qobject_cast<QAbstractProxyModel *>(m_pListView->model()))
            index = pProxy->mapToSource(index);
        return QDir::toNativeSeparators(m_pModel->filePath(index));
    }
    return {};
}

QString CXFolderDialog::ResolvePath(const QString &strText) const
{
    QString path = strText;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (QDir::isRelativePath(path))
        path = QDir(directory().absolutePath()).absoluteFilePath(path);
    return QDir::toNativeSeparators(path);
}

void CXFolderDialog::OnSelChange()
{
    m_strPath = GetFilePath();
    if (!m_strPath.isEmpty()) {
        DoDataExchange(false);
        m_bTypedPath = false;
    }
}

void CXFolderDialog::OnFolderChange(const QString &strFolder)
{
    m_strPath = QDir::toNativeSeparators(strFolder);
    if (!m_strPath.isEmpty()) {
        DoDataExchange(false);
        m_bTypedPath = false;
    }

    if (!m_bTrackViewMode)
        return;
    if (m_bFirstFolderChange) {
        if (m_bPersistViewMode && m_nViewMode == 0)
            m_nViewMode = kViewMode.Get();
        m_bFirstFolderChange = false;
        // Applied once: Qt's view lives on from folder to folder, so a view
        // the user picks stays while the user browses.
        SetViewMode(m_nViewMode);
    }
}

bool CXFolderDialog::NavigateTo(const QString &strText)
{
    if (strText.isEmpty())
        return false;
    const QString path = ResolvePath(strText);
    if (!QFileInfo(path).isDir())
        return false; // nothing there, or not a folder: stay
    setDirectory(path);
    return true;
}

void CXFolderDialog::OnSelEndOkFolderHistory(int nIndex)
{
    if (nIndex >= 0)
        NavigateTo(m_cboFolderHistory.itemText(nIndex));
}

void CXFolderDialog::OnKillFocusFolderHistory()
{
    const QString text = m_cboFolderHistory.currentText();
    if (NavigateTo(text))
        m_strPath = ResolvePath(text);
}

void CXFolderDialog::SetViewMode(int nCommand)
{
    // Qt's dialog has two views: details for the details commands, the list
    // for every other command (icons, tiles, list).
    const bool details = nCommand == kViewDetails || nCommand == kViewDetailsOld;
    setViewMode(details ? QFileDialog::Detail : QFileDialog::List);
}

int CXFolderDialog::RecordViewMode() const
{
    return viewMode() == QFileDialog::Detail ? kViewDetails : kViewList;
}

void CXFolderDialog::ShowMessage(const QString &strText)
{
    QMessageBox box(QMessageBox::NoIcon, CAppProfile::AppName(), strText, QMessageBox::Ok, this);
    box.exec();
}

void CXFolderDialog::OnOK()
{
    if (m_bTypedPath) {
        // Text typed after the last selection wins over that selection.
        DoDataExchange(true);
    } else {
        m_strPath = GetFilePath();
        if (!m_strPath.isEmpty())
            DoDataExchange(false);
        else
            DoDataExchange(true);
    }

    if (m_strPath.trimmed().isEmpty()) {
        ShowMessage(tr("Please select a folder."));
        return;
    }
    m_strPath = ResolvePath(m_strPath);
    // A folder picker hands back folders only: an existing file is refused too.
    if (!QFileInfo(m_strPath).isDir()) {
        ShowMessage(tr("The folder '%1' isn't accessible.").arg(m_strPath));
        return;
    }

    DoDataExchange(false); // the history records the folder as accepted
    m_cboFolderHistory.SaveHistory();
    done(QDialog::Accepted);
}

void CXFolderDialog::accept()
{
    OnOK();
}

void CXFolderDialog::done(int nResult)
{
    if (m_bTrackViewMode)
        m_nViewMode = m_nShellViewMode = RecordViewMode();
    QFileDialog::done(nResult);
}
