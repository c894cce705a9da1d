#pragma once

#include <QString>

class QWidget;

// What the user is told, once per load or conversion, when the converter
// (ffmpeg) is not installed: without it titles can be neither measured nor
// converted, and the package that brings it.
QString ConverterMissingText();

// Shows that text in a warning box over pOwner and waits for OK.
void ShowConverterMissing(QWidget *pOwner);
