#pragma once

// One preset of the static table. The strings are NUL-terminated UTF-16; a
// row whose name is null ends its category's array.
struct PresetRow {
    const char16_t *name;
    const char16_t *arguments;         // ffmpeg options between source and target
    const char16_t *extensionOverride; // replaces the category's extension; may be null
};

// One output category of the static table. A row whose name is null ends the
// table; a row whose presets are null contributes no category.
struct CategoryRow {
    const char16_t *name;
    const PresetRow *presets;
    const char16_t *extension; // output file extension without the dot
};

// The program's 23 categories and 103 presets, in the order the user sees
// them, ended by a row of nulls.
extern const CategoryRow g_presetTable[];
