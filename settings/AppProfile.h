#pragma once

#include <QSettings>
#include <QString>

// The per-user settings profile of the application: QSettings in its native
// format, organisation "Local AppWizard-Generated Applications", application
// name "VelkoFreeDVDRipper". On Linux this is the file
// ~/.config/Local AppWizard-Generated Applications/VelkoFreeDVDRipper.conf.
//
// Values are addressed by section and entry. The empty section is the top
// level of the profile (QSettings shows it as [General]); any other section is
// a group of its own. Failed reads give the default; failed writes are not
// reported, because nothing in the program could do anything about them.
class CAppProfile
{
public:
    CAppProfile();

    static QString OrganizationName();
    // "VelkoFreeDVDRipper": the profile's name and the caption of the
    // reusable controls' messages.
    static QString AppName();

    QString GetProfileString(const QString &strSection, const QString &strEntry,
                             const QString &strDefault = QString()) const;
    // A value that is missing or not a number gives nDefault.
    int GetProfileInt(const QString &strSection, const QString &strEntry, int nDefault) const;
    bool HasProfileValue(const QString &strSection, const QString &strEntry) const;

    void WriteProfileString(const QString &strSection, const QString &strEntry,
                            const QString &strValue);
    void WriteProfileInt(const QString &strSection, const QString &strEntry, int nValue);
    void DeleteProfileValue(const QString &strSection, const QString &strEntry);

    // Where the profile is kept (a file on Linux, a registry path on Windows).
    QString FileName() const;

private:
    static QString Key(const QString &strSection, const QString &strEntry);

    QSettings m_settings;
};
