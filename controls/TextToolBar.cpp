#include "TextToolBar.h"

#include "ControlId.h"
#include "Resource.h"

#include <QAction>
#include <QToolButton>

namespace
{
struct ButtonText {
    int nId;
    const char *pszText;
};

const ButtonText kButtonTexts[] = {
    {ID_ADD_FROM_DISC, "Disc"},
    {ID_ADD_FROM_FOLDER, "Folder"},
    {ID_CLEAR, "Clear"},
    {ID_CONVERT, "Convert"},
};
} // namespace

CTextToolBar::CTextToolBar(QWidget *pParent) : QToolBar(pParent)
{
    setMovable(false);
    setFloatable(false);
    setOrientation(Qt::Horizontal);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(kImageSize, kImageSize));

    connect(this, &QToolBar::actionTriggered, this,
            [this](QAction *pAction) { emit Command(CtrlId(pAction)); });
}

CTextToolBar::~CTextToolBar() = default;

bool CTextToolBar::CreateEx(QWidget *pParentWnd, int nId)
{
    if (!pParentWnd)
        return false;
    setParent(pParentWnd);
    SetCtrlId(this, nId);
    show();
    return true;
}

bool CTextToolBar::LoadToolBar(int nResId)
{
    if (nResId != IDR_TOOLBAR)
        return false;
    clear();
    for (int nId : kToolBarButtons) {
        QAction *pAction = addAction(QString());
        SetCtrlId(pAction, nId);
    }
    return true;
}

void CTextToolBar::ReplaceImageList(const QList<QIcon> &icons)
{
    const QList<QAction *> buttons = actions();
    for (int i = 0; i < buttons.size() && i < icons.size(); ++i)
        buttons[i]->setIcon(icons[i]);
}

int CTextToolBar::CommandToIndex(int nId) const
{
    const QList<QAction *> buttons = actions();
    for (int i = 0; i < buttons.size(); ++i) {
        if (CtrlId(buttons[i]) == nId)
            return i;
    }
    return -1;
}

QToolButton *CTextToolBar::GetButton(int nIndex) const
{
    const QList<QAction *> buttons = actions();
    if (nIndex < 0 || nIndex >= buttons.size())
        return nullptr;
    return qobject_cast<QToolButton *>(widgetForAction(buttons[nIndex]));
}

QRect CTextToolBar::GetItemRect(int nIndex) const
{
    const QToolButton *pButton = GetButton(nIndex);
    return pButton ? pButton->geometry() : QRect();
}

void CTextToolBar::SetButtonText(int nIndex, const QString &strText)
{
    const QList<QAction *> buttons = actions();
    if (nIndex >= 0 && nIndex < buttons.size())
        buttons[nIndex]->setText(strText);
}

void CTextToolBar::SetSizes(const QSize &sizeButton, const QSize &sizeImage)
{
    setIconSize(sizeImage);
    for (int i = 0; i < actions().size(); ++i) {
        if (QToolButton *pButton = GetButton(i))
            pButton->setFixedSize(sizeButton);
    }
}

void CTextToolBar::SetButtonTexts()
{
    if (m_rcTextButton.width() != 0 || m_rcTextButton.height() != 0)
        return; // captions already set

    for (const ButtonText &text : kButtonTexts)
        SetButtonText(CommandToIndex(text.nId), QString::fromLatin1(text.pszText));

    // One size for all buttons, large enough for every picture with its
    // caption, so that no caption is cut and the row looks even.
    QSize sizeButton;
    for (int i = 0; i < actions().size(); ++i) {
        if (const QToolButton *pButton = GetButton(i))
            sizeButton = sizeButton.expandedTo(pButton->sizeHint());
    }
    if (sizeButton.isEmpty())
        return; // no buttons: stay uncaptioned so a later call can still work

    SetSizes(sizeButton, iconSize());
    m_rcTextButton = QRect(GetItemRect(0).topLeft(), sizeButton);
}
