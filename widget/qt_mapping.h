#pragma once
// Translations between the control's values and Qt's: colours, fonts, mouse
// buttons and modifier keys, regional settings.
#include <QColor>
#include <QFont>
#include <QLocale>
#include <QPalette>
#include <QString>
#include <Qt>
#include <cstdint>
#include <string>

#include <travimo/model/colour.h>
#include <travimo/platform/display_objects.h>
#include <travimo/platform/regional_settings.h>

namespace travimo::qt {

// A system colour takes its value from the palette (button face: the Button
// role); any other value is red in the low byte, then green and blue.
QColor ToQColor(Colour colour, const QPalette& palette);

// Button codes of the mouse events: 1 left, 2 right, 4 middle, or-ed together.
int16_t MouseButtonCode(Qt::MouseButtons buttons);
// Shift codes: 1 shift, 2 ctrl, 4 alt.
int16_t ShiftCode(Qt::KeyboardModifiers modifiers);

StdFont ToStdFont(const QFont& font);
QFont ToQFont(const StdFont& font);

RegionalSettings RegionalSettingsOf(const QLocale& locale);

inline QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string ToStdString(const QString& text) {
  return text.toStdString();
}

}  // namespace travimo::qt
