#include "PresetCatalogue.h"

namespace
{

QString copyOf(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

} // namespace

qint32 PresetCatalogue::CategoryCount() const
{
    return qint32(categories.size());
}

const PresetCategory *PresetCatalogue::categoryAt(qint32 category) const
{
    if (category < 0 || category >= categories.size())
        return nullptr;
    return &categories[category];
}

const Preset *PresetCatalogue::presetAt(qint32 category, qint32 preset) const
{
    const PresetCategory *found = categoryAt(category);
    if (!found || preset < 0 || preset >= found->presets.size())
        return nullptr;
    return &found->presets[preset];
}

QString PresetCatalogue::CategoryName(qint32 category) const
{
    const PresetCategory *found = categoryAt(category);
    return found ? found->name : QString();
}

qint32 PresetCatalogue::PresetCount(qint32 category) const
{
    const PresetCategory *found = categoryAt(category);
    return found ? qint32(found->presets.size()) : 0;
}

QString PresetCatalogue::PresetName(qint32 category, qint32 preset) const
{
    const Preset *found = presetAt(category, preset);
    return found ? found->name : QString();
}

QString PresetCatalogue::PresetArguments(qint32 category, qint32 preset) const
{
    const Preset *found = presetAt(category, preset);
    return found ? found->arguments : QString();
}

QString PresetCatalogue::PresetExtension(qint32 category, qint32 preset) const
{
    const Preset *found = presetAt(category, preset);
    return found ? found->extension : QString();
}

void BuildPresetCatalogue(PresetCatalogue &catalogue)
{
    BuildPresetCatalogue(catalogue, g_presetTable);
}

void BuildPresetCatalogue(PresetCatalogue &catalogue, const CategoryRow *table)
{
    if (!table)
        return;
    for (const CategoryRow *row = table; row->name; ++row) {
        if (!row->presets)
            continue;
        PresetCategory category;
        category.name = copyOf(row->name);
        for (const PresetRow *presetRow = row->presets; presetRow->name; ++presetRow) {
            Preset preset;
            preset.name = copyOf(presetRow->name);
            preset.arguments = copyOf(presetRow->arguments);
            preset.extension = copyOf(presetRow->extensionOverride ? presetRow->extensionOverride
                                                                   : row->extension);
            category.presets.append(preset);
        }
        catalogue.categories.append(category);
    }
}
