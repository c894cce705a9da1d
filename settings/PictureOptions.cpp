#include "PictureOptions.h"

#include "LauncherEnvironment.h"
#include "SettingValue.h"

#include <iterator>

namespace
{
const CSettingValue<QString> kDeinterlace("", "Deinterlace",
                                          QString::fromLatin1(kDeinterlaceAutomatic));
const CSettingValue<bool> kCropBars("", "CropBlackBars", true);

// The profile's word for each mode, the launcher's too.
const char *const kModeNames[] = {kDeinterlaceAutomatic, kDeinterlaceAlways, kDeinterlaceNever};

const char *ModeName(int nMode)
{
    return nMode >= 0 && nMode < int(std::size(kModeNames)) ? kModeNames[nMode]
                                                            : kDeinterlaceAutomatic;
}
} // namespace

void CPictureOptions::Load()
{
    const CAppProfile profile;
    const QString strMode = kDeinterlace.Get(profile);
    m_nDeinterlace = DeinterlaceAutomatic;
    for (int i = 0; i < int(std::size(kModeNames)); ++i) {
        if (strMode == QLatin1String(kModeNames[i]))
            m_nDeinterlace = i;
    }
    m_bCropBars = kCropBars.Get(profile);
}

void CPictureOptions::Save() const
{
    CAppProfile profile;
    kDeinterlace.Set(profile, QString::fromLatin1(ModeName(m_nDeinterlace)));
    kCropBars.Set(profile, m_bCropBars);
}

QStringList CPictureOptions::ConverterEnvironment() const
{
    return {QStringLiteral("%1=%2").arg(QLatin1String(kDeinterlaceVariable),
                                        QLatin1String(ModeName(m_nDeinterlace))),
            QStringLiteral("%1=%2").arg(QLatin1String(kCropVariable),
                                        m_bCropBars ? QStringLiteral("1") : QStringLiteral("0"))};
}
