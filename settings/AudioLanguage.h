#pragma once

#include <QString>

// "AudioLanguage": the language (a two-letter ISO 639-1 code such as "fr")
// in which the default audio track of a DVD title is looked for. Without a
// usable stored value it is the desktop's language, English where the
// desktop names none.
QString PreferredAudioLanguage();
