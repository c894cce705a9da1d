#pragma once

#include "Preset.h"

#include <QList>
#include <QString>

// One output category with its presets, in table order.
struct PresetCategory {
    QString name;
    QList<Preset> presets;
};
