#pragma once

#include "Resource.h"

#include <QIcon>
#include <QList>
#include <QRect>
#include <QToolBar>

class QToolButton;

// A toolbar of large pictures with a caption under each: the main window's
// "Disc", "Folder", "Clear" and "Convert" buttons. Each button is an action
// whose control id (see ControlId.h) is its command id; a click emits
// Command(id).
//
// Building it, in order: CreateEx (parent and id), LoadToolBar (the buttons),
// ReplaceImageList (their pictures), SetButtonTexts (captions and one common
// button size).
class CTextToolBar : public QToolBar
{
    Q_OBJECT

public:
    static constexpr int kDefaultId = AFX_IDW_TOOLBAR;
    static constexpr int kImageSize = 48;

    explicit CTextToolBar(QWidget *pParent = nullptr);
    ~CTextToolBar() override;

    // Makes the toolbar a child of pParentWnd with control id nId.
    bool CreateEx(QWidget *pParentWnd, int nId = kDefaultId);
    // Creates the buttons of a toolbar resource (Resource.h), without
    // pictures or captions; false for an unknown resource.
    bool LoadToolBar(int nResId);
    // Gives button i the picture icons[i]; extra pictures are ignored.
    void ReplaceImageList(const QList<QIcon> &icons);
    // Puts the captions on the four buttons and gives every button one common
    // size that fits picture and caption. Only the first call does anything.
    void SetButtonTexts();

    int CommandToIndex(int nId) const;
    QToolButton *GetButton(int nIndex) const;
    // The button's rectangle in toolbar coordinates; empty when there is none.
    QRect GetItemRect(int nIndex) const;
    // The first button's rectangle as set by SetButtonTexts; empty before.
    QRect TextButtonRect() const { return m_rcTextButton; }

signals:
    void Command(int nId);

private:
    void SetButtonText(int nIndex, const QString &strText);
    void SetSizes(const QSize &sizeButton, const QSize &sizeImage);

    QRect m_rcTextButton;
};
