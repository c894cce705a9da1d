#include "AudioLanguage.h"

#include "SettingValue.h"

#include <QLocale>

namespace
{
bool IsLanguageCode(const QString &strCode)
{
    return strCode.size() == 2 && strCode[0].isLower() && strCode[1].isLower() &&
           strCode[0].isLetter() && strCode[1].isLetter();
}

QString DesktopLanguage()
{
    const QString strName = QLocale::system().name(); // "fr_FR", or "C"
    const QString strCode = strName.section(u'_', 0, 0);
    return IsLanguageCode(strCode) ? strCode : QStringLiteral("en");
}
} // namespace

QString PreferredAudioLanguage()
{
    const CSettingValue<QString> kAudioLanguage("", "AudioLanguage", DesktopLanguage());
    const QString strStored = kAudioLanguage.Get().trimmed().toLower();
    return IsLanguageCode(strStored) ? strStored : DesktopLanguage();
}
