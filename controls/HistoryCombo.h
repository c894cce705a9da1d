#pragma once

#include <QComboBox>
#include <QString>

// A combo box that remembers what was entered in it across runs: a
// most-recent-first list kept in the application profile, plus the text of
// its edit field at the last save.
//
// Profile layout, in section m_strSection: the entries as values
// "<prefix>0000", "<prefix>0001", ... (index 0 the most recent), and the edit
// text under the current-item key (m_strCurrentKey, else the prefix, else
// "Last"). The entries are never sorted.
class CHistoryCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit CHistoryCombo(QWidget *pParent = nullptr);

    // Remembers where the history lives and appends the stored entries: they
    // are read up to the first empty or missing value, at most m_nMaxItems of
    // them; with m_bOnlyExisting, entries naming nothing on disk are skipped.
    // With bRestoreCurrent, the stored current text is selected when it
    // matches an entry, or else put into the edit field. Answers the last
    // value read (the current text when it was restored).
    QString LoadHistory(const QString &strSection, const QString &strKeyPrefix,
                        bool bRestoreCurrent = true, const QString &strCurrentKey = QString());

    // Adds the edit text (trimmed) as the newest entry, writes all entries,
    // deletes the values of entries that no longer exist and, with
    // bRestoreCurrent, the current text. Does nothing without a section.
    void SaveHistory();

    // Puts the trimmed text at the top, removes its older duplicate and drops
    // what exceeds the maximum; selects it and answers 0. Blank text is not
    // added (answers -1). A combo without a section or prefix just appends
    // the text unchanged and answers its index.
    int AddToHistory(const QString &strText);

    // Sets the maximum number of entries, dropping the oldest ones beyond it.
    void SetMaxItems(int nMaxItems);
    int MaxItems() const { return m_nMaxItems; }

    // Opens the list sized to show m_nDropItems entries.
    void showPopup() override;

    bool m_bOnlyExisting = false; // when loading, keep only entries that exist on disk
    int m_nDropItems = 10;        // entries the open list shows
    // How entries are matched when loading the current text and when removing
    // duplicates. Case-insensitive by default; a combo of paths on a file
    // system that tells "Movies" from "movies" wants Qt::CaseSensitive.
    Qt::CaseSensitivity m_csMatch = Qt::CaseInsensitive;

private:
    void OnDropDown();
    int FindExact(const QString &strText, int nFrom) const;
    QString EntryKey(int nIndex) const;
    QString CurrentKey() const;

    QString m_strSection;
    QString m_strKeyPrefix;
    QString m_strCurrentKey;
    bool m_bRestoreCurrent = true;
    int m_nMaxItems = 100;
};
