#include "convert.h"

#include <pybind11/stl.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo::python {

py::array_t<float> ToNumpy(const SingleArray& array) {
  py::array_t<float> result(static_cast<py::ssize_t>(array.Size()));
  if (array.Size() > 0) {
    std::memcpy(result.mutable_data(), array.Values().data(),
                array.Values().size() * sizeof(float));
  }
  return result;
}

SingleArray ToSingleArray(const py::handle& value) {
  if (py::isinstance<SingleArray>(value)) return value.cast<SingleArray>();
  const auto values = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(value);
  if (!values || values.ndim() > 1) {
    throw RuntimeError(ErrorNumber::TypeMismatch, std::string(kControlSource),
                       "a series is a SingleArray or a one-dimensional sequence of numbers");
  }
  const float* first = values.data();
  return SingleArray(0, std::vector<float>(first, first + values.size()));
}

py::object ToPython(const Date& date) {
  const CalendarDateTime c = date.ToCalendar();
  return py::module_::import("datetime")
      .attr("datetime")(c.year, c.month, c.day, c.hour, c.minute, c.second);
}

Date ToDate(const py::handle& value) {
  const auto datetime = py::module_::import("datetime");
  if (py::isinstance(value, datetime.attr("datetime"))) {
    const Date whole =
        Date::FromCalendar(value.attr("year").cast<int>(), value.attr("month").cast<int>(),
                           value.attr("day").cast<int>(), value.attr("hour").cast<int>(),
                           value.attr("minute").cast<int>(), value.attr("second").cast<int>());
    // Before the epoch the fraction still runs forward while the whole part counts back.
    const double micro = value.attr("microsecond").cast<int>() / 86400e6;
    return Date(whole.Value() < 0 ? whole.Value() - micro : whole.Value() + micro);
  }
  if (py::isinstance(value, datetime.attr("date"))) {
    return Date::FromCalendar(value.attr("year").cast<int>(), value.attr("month").cast<int>(),
                              value.attr("day").cast<int>());
  }
  if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)) {
    return Date(value.cast<double>());
  }
  throw RuntimeError(ErrorNumber::TypeMismatch, std::string(kControlSource),
                     "a date is a datetime or a number of days since 30 December 1899");
}

py::str Latin1(std::string_view bytes) {
  PyObject* text =
      PyUnicode_DecodeLatin1(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), nullptr);
  if (!text) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

py::str Utf8(std::string_view text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
  if (!decoded) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

std::string FromLatin1(const py::handle& text) {
  if (py::isinstance<py::bytes>(text)) return text.cast<std::string>();
  if (!py::isinstance<py::str>(text)) {
    throw RuntimeError(ErrorNumber::TypeMismatch, std::string(kControlSource), "a text is a str");
  }
  PyObject* bytes = PyUnicode_AsLatin1String(text.ptr());
  if (!bytes) {
    PyErr_Clear();
    throw RuntimeError(ErrorNumber::InvalidArgument, std::string(kControlSource),
                       "the text has a character that is not Latin-1");
  }
  return py::reinterpret_steal<py::bytes>(bytes).cast<std::string>();
}

namespace {

std::string Folded(std::string_view name) {
  std::string folded;
  for (const char c : name) {
    if (c != ' ' && c != '_')
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

}  // namespace

int64_t ToInt64(const py::handle& value) {
  if (!PyIndex_Check(value.ptr())) {
    throw RuntimeError(ErrorNumber::TypeMismatch, std::string(kControlSource),
                       "expected a whole number");
  }
  const auto index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!index) throw py::error_already_set();
  int overflow = 0;
  const long long v = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (overflow != 0) throw RuntimeError(ErrorNumber::Overflow);
  if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
  return v;
}

namespace {

template <class T>
T InRange(int64_t v) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) {
    throw RuntimeError(ErrorNumber::Overflow);
  }
  return static_cast<T>(v);
}

}  // namespace

int16_t ToInt16(const py::handle& value) {
  return InRange<int16_t>(ToInt64(value));
}
int32_t ToInt32(const py::handle& value) {
  return InRange<int32_t>(ToInt64(value));
}

int32_t EnumValue(std::string_view enumeration, const py::handle& value) {
  if (!py::isinstance<py::str>(value)) return ToInt32(value);
  const std::string wanted = Folded(value.cast<std::string>());
  if (const EnumInfo* info = FindEnumeration(enumeration)) {
    for (const EnumMember& member : info->members) {
      if (Folded(member.name) == wanted) return member.value;
    }
  }
  throw RuntimeError(
      ErrorNumber::TypeMismatch, std::string(kControlSource),
      "no member \"" + value.cast<std::string>() + "\" in " + std::string(enumeration));
}

}  // namespace travimo::python
