#include "HistoryCombo.h"

#include "AppProfile.h"

#include <QFileInfo>

CHistoryCombo::CHistoryCombo(QWidget *pParent) : QComboBox(pParent)
{
    // The history decides what the list holds: Enter in the edit field must
    // not add entries behind its back.
    setInsertPolicy(QComboBox::NoInsert);
    // Long entries (paths) must not widen the window that holds the combo.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(16);
}

QString CHistoryCombo::EntryKey(int nIndex) const
{
    return m_strKeyPrefix + QStringLiteral("%1").arg(nIndex, 4, 10, QLatin1Char('0'));
}

QString CHistoryCombo::CurrentKey() const
{
    if (!m_strCurrentKey.isEmpty())
        return m_strCurrentKey;
    if (!m_strKeyPrefix.isEmpty())
        return m_strKeyPrefix;
    return QStringLiteral("Last");
}

int CHistoryCombo::FindExact(const QString &strText, int nFrom) const
{
    for (int i = nFrom; i < count(); ++i) {
        if (QString::compare(itemText(i), strText, m_csMatch) == 0)
            return i;
    }
    return -1;
}

QString CHistoryCombo::LoadHistory(const QString &strSection, const QString &strKeyPrefix,
                                   bool bRestoreCurrent, const QString &strCurrentKey)
{
    m_strSection = strSection;
    m_strKeyPrefix = strKeyPrefix;
    m_bRestoreCurrent = bRestoreCurrent;
    m_strCurrentKey = strCurrentKey;

    const CAppProfile profile;
    QString strLast;
    for (int i = 0; i < m_nMaxItems; ++i) {
        strLast = profile.GetProfileString(m_strSection, EntryKey(i));
        if (strLast.isEmpty())
            break;
        // A vanished entry is skipped, but the ones after it still load.
        if (!m_bOnlyExisting || QFileInfo::exists(strLast))
            addItem(strLast);
    }

    if (m_bRestoreCurrent) {
        strLast = profile.GetProfileString(m_strSection, CurrentKey());
        if (!strLast.isEmpty()) {
            const int index = FindExact(strLast, 0);
            if (index >= 0)
                setCurrentIndex(index);
            else if (isEditable())
                setEditText(strLast);
        }
    }
    return strLast;
}

int CHistoryCombo::AddToHistory(const QString &strText)
{
    if (m_strSection.isEmpty() || m_strKeyPrefix.isEmpty()) {
        addItem(strText);
        return count() - 1;
    }

    const QString strEntry = strText.trimmed();
    if (strEntry.isEmpty())
        return -1;

    insertItem(0, strEntry);
    // One older duplicate goes; the new spelling wins.
    const int duplicate = FindExact(strEntry, 1);
    if (duplicate > 0)
        removeItem(duplicate);
    while (count() > m_nMaxItems)
        removeItem(m_nMaxItems);

    setCurrentIndex(0);
    return 0;
}

void CHistoryCombo::SaveHistory()
{
    if (m_strSection.isEmpty())
        return;

    const QString strText = currentText().trimmed();
    if (!strText.isEmpty())
        AddToHistory(strText);

    CAppProfile profile;
    const int n = count();
    for (int i = 0; i < n; ++i)
        profile.WriteProfileString(m_strSection, EntryKey(i), itemText(i));

    // Values left over from a longer history would come back at the next load.
    for (int k = n; k < 1000; ++k) {
        const QString key = EntryKey(k);
        if (profile.GetProfileString(m_strSection, key).isEmpty())
            break;
        profile.DeleteProfileValue(m_strSection, key);
    }

    if (m_bRestoreCurrent)
        profile.WriteProfileString(m_strSection, CurrentKey(), currentText());
}

void CHistoryCombo::SetMaxItems(int nMaxItems)
{
    m_nMaxItems = qMax(0, nMaxItems);
    while (count() > m_nMaxItems)
        removeItem(m_nMaxItems);
}

void CHistoryCombo::OnDropDown()
{
    setMaxVisibleItems(qMax(1, m_nDropItems));
}

void CHistoryCombo::showPopup()
{
    OnDropDown();
    QComboBox::showPopup();
}
