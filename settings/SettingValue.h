#pragma once

#include "AppProfile.h"

#include <QString>

#include <type_traits>
#include <utility>

// One value of the application profile: its section, its entry, its type and
// its default, written down in one place so that a key is never spelled twice.
// Reading a value that is missing (or, for numbers, not a number) gives the
// default. A bool is stored as the number 1 or 0.
template <typename T> class CSettingValue
{
    static_assert(std::is_same_v<T, QString> || std::is_same_v<T, int> || std::is_same_v<T, bool>,
                  "the profile holds strings and numbers");

public:
    CSettingValue(const char *pszSection, const char *pszEntry, T defaultValue = T())
        : m_strSection(QString::fromLatin1(pszSection)), m_strEntry(QString::fromLatin1(pszEntry)),
          m_default(std::move(defaultValue))
    {
    }

    T Get(const CAppProfile &profile) const
    {
        if constexpr (std::is_same_v<T, QString>)
            return profile.GetProfileString(m_strSection, m_strEntry, m_default);
        else if constexpr (std::is_same_v<T, bool>)
            return profile.GetProfileInt(m_strSection, m_strEntry, m_default ? 1 : 0) != 0;
        else
            return profile.GetProfileInt(m_strSection, m_strEntry, m_default);
    }
    T Get() const { return Get(CAppProfile()); }

    void Set(CAppProfile &profile, const T &value) const
    {
        if constexpr (std::is_same_v<T, QString>)
            profile.WriteProfileString(m_strSection, m_strEntry, value);
        else if constexpr (std::is_same_v<T, bool>)
            profile.WriteProfileInt(m_strSection, m_strEntry, value ? 1 : 0);
        else
            profile.WriteProfileInt(m_strSection, m_strEntry, value);
    }
    void Set(const T &value) const
    {
        CAppProfile profile;
        Set(profile, value);
    }

    const QString &Section() const { return m_strSection; }
    const QString &Entry() const { return m_strEntry; }

private:
    QString m_strSection;
    QString m_strEntry;
    T m_default;
};
