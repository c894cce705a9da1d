#include "AppProfile.h"

#include "AppInfo.h"

CAppProfile::CAppProfile()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, OrganizationName(), AppName())
{
}

QString CAppProfile::OrganizationName()
{
    return QStringLiteral("Local AppWizard-Generated Applications");
}

QString CAppProfile::AppName()
{
    // Named once, not after the executable: the front program and the window
    // program keep one profile.
    return QStringLiteral(VELKO_PROFILE_NAME);
}

QString CAppProfile::Key(const QString &strSection, const QString &strEntry)
{
    return strSection.isEmpty() ? strEntry : strSection + QLatin1Char('/') + strEntry;
}

QString CAppProfile::GetProfileString(const QString &strSection, const QString &strEntry,
                                      const QString &strDefault) const
{
    const QVariant value = m_settings.value(Key(strSection, strEntry));
    return value.isValid() ? value.toString() : strDefault;
}

int CAppProfile::GetProfileInt(const QString &strSection, const QString &strEntry,
                               int nDefault) const
{
    const QVariant value = m_settings.value(Key(strSection, strEntry));
    if (!value.isValid())
        return nDefault;
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? n : nDefault;
}

bool CAppProfile::HasProfileValue(const QString &strSection, const QString &strEntry) const
{
    return m_settings.contains(Key(strSection, strEntry));
}

void CAppProfile::WriteProfileString(const QString &strSection, const QString &strEntry,
                                     const QString &strValue)
{
    m_settings.setValue(Key(strSection, strEntry), strValue);
}

void CAppProfile::WriteProfileInt(const QString &strSection, const QString &strEntry, int nValue)
{
    m_settings.setValue(Key(strSection, strEntry), nValue);
}

void CAppProfile::DeleteProfileValue(const QString &strSection, const QString &strEntry)
{
    m_settings.remove(Key(strSection, strEntry));
}

QString CAppProfile::FileName() const
{
    return m_settings.fileName();
}
