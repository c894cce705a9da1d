#pragma once

#include "Resource.h"

#include <QObject>
#include <QVariant>

// Control identities.
//
// Every control of a dialog (and every toolbar command) keeps the numeric id
// it has in the window resources. The id is stored in the dynamic property
// "ctrlId" of the widget or action; object names stay free for other uses.
// Code and tests find a control by its id with FindCtrl:
//
//     auto *pCombo = FindCtrl<QComboBox>(this, 1002);
//     auto *pOk = FindCtrl<QPushButton>(this, IDOK);
//
// Dialog results follow the same numbering: DoModal() answers IDOK or
// IDCANCEL.

// The ids themselves (IDOK and IDCANCEL included) live in Resource.h.

inline constexpr char kCtrlIdProperty[] = "ctrlId";

inline void SetCtrlId(QObject *pCtrl, int nId)
{
    pCtrl->setProperty(kCtrlIdProperty, nId);
}

// The id of a control, or 0 when it has none.
inline int CtrlId(const QObject *pCtrl)
{
    const QVariant id = pCtrl->property(kCtrlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

// The first descendant of pParent of type T with the given id (depth-first in
// creation order), or nullptr.
template <typename T = QWidget> T *FindCtrl(const QObject *pParent, int nId)
{
    if (!pParent)
        return nullptr;
    const auto children = pParent->findChildren<T *>();
    for (T *pChild : children) {
        if (CtrlId(pChild) == nId)
            return pChild;
    }
    return nullptr;
}
