#pragma once

#include "PresetCategory.h"
#include "PresetTable.h"

#include <QList>
#include <QString>

// The output categories and presets, built once from the static table and
// read through index lookups whose indices are the positions in the main
// window's two drop-down lists. Every lookup answers a copy; a negative or
// too large index answers an empty string (or a count of 0), so a list
// without a selection (position -1) needs no special care.
struct PresetCatalogue {
    QList<PresetCategory> categories;

    qint32 CategoryCount() const;
    QString CategoryName(qint32 category) const;
    qint32 PresetCount(qint32 category) const;
    QString PresetName(qint32 category, qint32 preset) const;
    QString PresetArguments(qint32 category, qint32 preset) const;
    QString PresetExtension(qint32 category, qint32 preset) const;

private:
    const PresetCategory *categoryAt(qint32 category) const;
    const Preset *presetAt(qint32 category, qint32 preset) const;
};

// Appends one category per usable row of the program's table.
void BuildPresetCatalogue(PresetCatalogue &catalogue);

// Appends one category per usable row of table: rows are taken up to the
// first with a null name; a row with null presets is skipped, so later
// categories move up; each preset takes its override extension, else its
// category's, else none. A null table adds nothing.
void BuildPresetCatalogue(PresetCatalogue &catalogue, const CategoryRow *table);
