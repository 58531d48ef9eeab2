#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/conversions.h"
#include "formats/text_scan.h"
#include <travimo/model/error.h>

namespace travimo {
namespace {

struct Token {
  enum Kind { Number, Separator, Word } kind;
  std::string_view text;
  int64_t value = 0;  // Number only, capped
};

bool IsSeparator(char c) {
  return c == '/' || c == '-' || c == '.' || c == ':';
}

std::vector<Token> Tokenise(std::string_view text) {
  std::vector<Token> tokens;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (IsBlank(c)) {
      ++at;
      continue;
    }
    const size_t start = at;
    if (IsSeparator(c)) {
      tokens.push_back({Token::Separator, text.substr(start, 1)});
      ++at;
    } else if (IsDigit(c)) {
      int64_t value = 0;
      for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = std::min<int64_t>(1'000'000, value * 10 + (text[at] - '0'));
      }
      tokens.push_back({Token::Number, text.substr(start, at - start), value});
    } else {
      while (at < text.size() && !IsBlank(text[at]) && !IsDigit(text[at]) &&
             !IsSeparator(text[at])) {
        ++at;
      }
      tokens.push_back({Token::Word, text.substr(start, at - start)});
    }
  }
  return tokens;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

class Reader {
 public:
  explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}
  bool AtEnd() const { return at_ >= tokens_.size(); }
  const Token* Peek(size_t ahead = 0) const {
    return at_ + ahead < tokens_.size() ? &tokens_[at_ + ahead] : nullptr;
  }
  bool IsNumber(size_t ahead) const {
    const Token* t = Peek(ahead);
    return t && t->kind == Token::Number;
  }
  bool IsSeparator(size_t ahead, std::string_view which) const {
    const Token* t = Peek(ahead);
    return t && t->kind == Token::Separator && which.find(t->text[0]) != std::string_view::npos;
  }
  const Token& Take() { return tokens_[at_++]; }
  size_t Position() const { return at_; }

 private:
  std::vector<Token> tokens_;
  size_t at_ = 0;
};

struct CalendarDay {
  int year, month, day;
};

int FullYear(const Token& year, const RegionalSettings& settings) {
  if (year.text.size() > 2) return static_cast<int>(year.value);
  const int yy = static_cast<int>(year.value);
  return yy <= settings.twoDigitYearPivot ? 2000 + yy : 1900 + yy;
}

// N sep N sep N with one of "/", "-", "." used both times.
std::optional<CalendarDay> ReadDay(Reader& reader, const RegionalSettings& settings) {
  if (!(reader.IsNumber(0) && reader.IsSeparator(1, "/-.") && reader.IsNumber(2) &&
        reader.IsSeparator(3, "/-.") && reader.IsNumber(4) &&
        reader.Peek(1)->text == reader.Peek(3)->text)) {
    return std::nullopt;
  }
  const Token& first = reader.Take();
  reader.Take();
  const Token& second = reader.Take();
  reader.Take();
  const Token& third = reader.Take();
  const bool yearFirst = first.text.size() > 2 || settings.dateOrder == DateOrder::YearMonthDay;
  const Token* year = &third;
  const Token* month = &first;
  const Token* day = &second;
  if (yearFirst) {
    year = &first;
    month = &second;
    day = &third;
  } else if (settings.dateOrder == DateOrder::DayMonthYear) {
    month = &second;
    day = &first;
  }
  if (month->text.size() > 2 || day->text.size() > 2 || year->text.size() > 4 ||
      year->text.size() == 1) {
    return std::nullopt;
  }
  CalendarDay out{FullYear(*year, settings), static_cast<int>(month->value),
                  static_cast<int>(day->value)};
  if (out.year < 100 || !Date::IsValidCalendarDate(out.year, out.month, out.day)) {
    return std::nullopt;
  }
  return out;
}

bool IsDesignator(const Token* token, std::string_view designator, std::string_view fallback) {
  return token && token->kind == Token::Word &&
         (SameLetters(token->text, designator) || SameLetters(token->text, fallback));
}

// hh:mm[:ss] [AM|PM], or hh AM|PM; seconds of the day.
std::optional<int> ReadTime(Reader& reader, const RegionalSettings& settings) {
  if (!reader.IsNumber(0)) return std::nullopt;
  const bool clock = reader.IsSeparator(1, ":") && reader.IsNumber(2);
  const Token* after = reader.Peek(1);
  if (!clock && !IsDesignator(after, settings.amDesignator, "AM") &&
      !IsDesignator(after, settings.pmDesignator, "PM")) {
    return std::nullopt;
  }
  const Token& hour = reader.Take();
  int64_t minute = 0;
  int64_t second = 0;
  size_t minuteDigits = 0;
  size_t secondDigits = 0;
  if (clock) {
    reader.Take();
    const Token& m = reader.Take();
    minute = m.value;
    minuteDigits = m.text.size();
    if (reader.IsSeparator(0, ":") && reader.IsNumber(1)) {
      reader.Take();
      const Token& s = reader.Take();
      second = s.value;
      secondDigits = s.text.size();
    }
  }
  int64_t h = hour.value;
  const bool am = IsDesignator(reader.Peek(), settings.amDesignator, "AM");
  const bool pm = !am && IsDesignator(reader.Peek(), settings.pmDesignator, "PM");
  if (am || pm) {
    reader.Take();
    if (h > 12) return std::nullopt;
    if (h == 12) h = 0;
    if (pm) h += 12;
  }
  if (hour.text.size() > 2 || minuteDigits > 2 || secondDigits > 2 || h > 23 || minute > 59 ||
      second > 59) {
    return std::nullopt;
  }
  return static_cast<int>(h * 3600 + minute * 60 + second);
}

}  // namespace

std::optional<Date> TryTextToDate(std::string_view text, const RegionalSettings& settings) {
  Reader reader(Tokenise(text));
  if (reader.AtEnd()) return std::nullopt;
  const std::optional<CalendarDay> day = ReadDay(reader, settings);
  const size_t timeStart = reader.Position();
  // A date that is no real day (30 February, month 13) refuses the whole
  // text; its time alone would pass for a time on the zero date.
  if (!day && timeStart != 0) return std::nullopt;
  const std::optional<int> seconds = ReadTime(reader, settings);
  if (!seconds && reader.Position() != timeStart) return std::nullopt;  // a time out of range
  if (!reader.AtEnd() || (!day && !seconds)) return std::nullopt;
  const int s = seconds.value_or(0);
  if (!day) return Date(s / 86400.0);
  return Date::FromCalendar(day->year, day->month, day->day, s / 3600, s / 60 % 60, s % 60);
}

Date TextToDate(std::string_view text, const RegionalSettings& settings) {
  if (const std::optional<Date> date = TryTextToDate(text, settings)) return *date;
  throw RuntimeError(ErrorNumber::TypeMismatch);
}

}  // namespace travimo
