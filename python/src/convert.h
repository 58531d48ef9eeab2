#pragma once
// How the library's values look in Python: series as SingleArray objects that
// convert to float32 NumPy arrays, dates as datetime, instrument texts as
// Latin-1 (one character per byte, as the instruments send them).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <string_view>

#include <travimo/model/date.h>
#include <travimo/model/single_array.h>

namespace travimo::python {

namespace py = pybind11;

py::array_t<float> ToNumpy(const SingleArray& array);
// A SingleArray as it is, or any array-like as a series starting at 0.
SingleArray ToSingleArray(const py::handle& value);

py::object ToPython(const Date& date);
// A datetime, or a number of days since 30 December 1899.
Date ToDate(const py::handle& value);

py::str Latin1(std::string_view bytes);
// Library texts (descriptions, paths) are UTF-8; a stray byte is replaced, not fatal.
py::str Utf8(std::string_view text);
// Fails with 5 for a character outside Latin-1, as a byte cannot hold it.
std::string FromLatin1(const py::handle& text);

// An integer of the enumeration, or one of its member names ("Ostrel",
// "Max 512"; case and spaces ignored). Fails with 13 for anything else.
int32_t EnumValue(std::string_view enumeration, const py::handle& value);
// Fails with 6 outside the 16- or 32-bit range, with 13 for a non-number.
int64_t ToInt64(const py::handle& value);
int16_t ToInt16(const py::handle& value);
int32_t ToInt32(const py::handle& value);

}  // namespace travimo::python
