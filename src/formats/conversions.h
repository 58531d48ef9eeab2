#pragma once
// The conversions the Ostrel and Brevane parsers share. Each stands on its own.
#include <cstdint>
#include <optional>
#include <string_view>

#include <travimo/model/date.h>
#include <travimo/platform/regional_settings.h>

namespace travimo {

// The leading number of a text: blanks and tabs anywhere are ignored; sign,
// digits, one ".", exponent with E or D; "&H"/"&O" whole numbers. Never fails;
// a text without a leading number gives 0.
double LenientNumber(std::string_view text);

// To the nearest whole number, a half to the even neighbour; fails with 6
// outside the signed 32-bit range.
int32_t RoundHalfEven(double value);

// The nearest 4-byte float (infinity beyond its range).
float NearestSingle(double value);

// A decimal number under the regional settings (their decimal and grouping
// separators, sign, exponent, surrounding blanks); nullopt when the text is
// not such a number. Fails with 6 beyond the 4-byte float range.
std::optional<float> LocaleSingle(std::string_view text, const RegionalSettings& settings);

// A date, a time, or both, under the regional settings; nullopt when the text
// cannot be read.
std::optional<Date> TryTextToDate(std::string_view text, const RegionalSettings& settings);
// The same, failing with 13 (type mismatch) when the text cannot be read.
Date TextToDate(std::string_view text, const RegionalSettings& settings);

}  // namespace travimo
