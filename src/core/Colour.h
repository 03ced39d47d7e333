#pragma once

#include <QColor>

// Colours are kept as the settings file keeps them: 0x00BBGGRR integers.
QColor ColourFromSetting(int bgr);
int SettingFromColour(const QColor& colour);
