#pragma once

#include <QStringList>

// The user's picture settings: how interlaced titles are treated and whether
// black bars are cropped. Read and written at once by whoever changes or
// needs them (the main window's menu, a conversion); handed to the
// converter launcher in its environment.
class CPictureOptions
{
public:
    enum Deinterlace { DeinterlaceAutomatic, DeinterlaceAlways, DeinterlaceNever };

    void Load();
    void Save() const;

    // The NAME=VALUE entries of the launcher's environment that carry them.
    QStringList ConverterEnvironment() const;

    int m_nDeinterlace = DeinterlaceAutomatic; // "Deinterlace": automatic, always or never
    bool m_bCropBars = true;                   // "CropBlackBars"
};
