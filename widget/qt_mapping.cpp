#include "widget/qt_mapping.h"

#include <algorithm>

namespace travimo::qt {

namespace {

// The system colours a button can meet, by their index in the low byte.
QPalette::ColorRole RoleOfSystemColour(Colour colour) {
  switch (colour & 0xFF) {
    case 0x05:  // window background
      return QPalette::Base;
    case 0x08:  // window text
    case 0x12:  // button text
      return QPalette::ButtonText;
    case 0x0D:  // highlight
      return QPalette::Highlight;
    case 0x0E:  // highlighted text
      return QPalette::HighlightedText;
    case 0x0F:  // button face
    default:
      return QPalette::Button;
  }
}

}  // namespace

QColor ToQColor(Colour colour, const QPalette& palette) {
  if (IsSystemColour(colour)) return palette.color(RoleOfSystemColour(colour));
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

int16_t MouseButtonCode(Qt::MouseButtons buttons) {
  int16_t code = 0;
  if (buttons & Qt::LeftButton) code |= 1;
  if (buttons & Qt::RightButton) code |= 2;
  if (buttons & Qt::MiddleButton) code |= 4;
  return code;
}

int16_t ShiftCode(Qt::KeyboardModifiers modifiers) {
  int16_t code = 0;
  if (modifiers & Qt::ShiftModifier) code |= 1;
  if (modifiers & Qt::ControlModifier) code |= 2;
  if (modifiers & Qt::AltModifier) code |= 4;
  return code;
}

StdFont ToStdFont(const QFont& font) {
  StdFont result;
  result.name = font.family().toStdString();
  result.size = font.pointSizeF() > 0 ? font.pointSizeF() : result.size;
  result.bold = font.bold();
  result.italic = font.italic();
  result.underline = font.underline();
  result.strikethrough = font.strikeOut();
  result.weight = static_cast<int16_t>(font.weight());
  return result;
}

QFont ToQFont(const StdFont& font) {
  QFont result(QString::fromStdString(font.name));
  if (font.size > 0) result.setPointSizeF(font.size);
  result.setWeight(static_cast<QFont::Weight>(std::clamp<int>(font.weight, 100, 900)));
  if (font.bold && font.weight < 600) result.setBold(true);
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  result.setStrikeOut(font.strikethrough);
  return result;
}

RegionalSettings RegionalSettingsOf(const QLocale& locale) {
  RegionalSettings settings;
  // Qt's C locale writes dates day first; the C locale of the system, like
  // the other hosts, reads them month first. Keep the defaults for it.
  if (locale.language() == QLocale::C) return settings;
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  const auto day = format.indexOf(QLatin1Char('d'));
  const auto month = format.indexOf(QLatin1Char('M'));
  const auto year = format.indexOf(QLatin1Char('y'));
  if (day >= 0 && month >= 0 && year >= 0) {
    if (year < month && year < day) {
      settings.dateOrder = DateOrder::YearMonthDay;
    } else if (day < month) {
      settings.dateOrder = DateOrder::DayMonthYear;
    } else {
      settings.dateOrder = DateOrder::MonthDayYear;
    }
  }
  // A locale that leaves a value empty keeps the default for it.
  const auto take = [](std::string& target, const QString& value) {
    if (!value.isEmpty()) target = value.toStdString();
  };
  take(settings.decimalSeparator, locale.decimalPoint());
  take(settings.groupingSeparator, locale.groupSeparator());
  take(settings.amDesignator, locale.amText());
  take(settings.pmDesignator, locale.pmText());
  return settings;
}

}  // namespace travimo::qt
