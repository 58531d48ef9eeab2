#pragma once
// The fields of a record class, described once. Each record header specialises
// RecordFields<Record> with a table of its fields in declaration order, one line
// a field: the name as the type library spells it and the getter and setter,
// from whose types the field's kind follows. Everything that lists a record's
// fields (JSON, views, GUI columns, Python members, copies, equality) walks
// that table, so adding a field means adding its line there.
//
//   for (const auto& field : FieldTable<CBrevaneCls>())
//     out << field.Name() << " = " << Format(field.Get(record));
//   ForEachField(record, [](const auto& field, const auto& value) { ... });
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include <travimo/model/date.h>
#include <travimo/model/error.h>
#include <travimo/model/scan_data.h>

namespace travimo {

// What a field holds; the order is that of FieldValue's alternatives.
enum class FieldKind { Text, Long, Single, Date, Series };

// One field's value: a text, a 32-bit integer, a 4-byte float, a date, or the
// series object itself (shared, possibly null).
using FieldValue = std::variant<std::string, int32_t, float, Date, ScanDataPtr>;

// Same value: floats and series elements compare as numbers, except that NaN
// equals NaN; series compare by their arrays with bounds, null only to null.
bool SameFieldValue(const FieldValue& a, const FieldValue& b);

template <class Record>
class FieldInfo {
 public:
  // arrayName: for a series, the record's property that reads and writes its
  // array ("ScanData", "TempData"); empty for every other field.
  template <class T>
  constexpr FieldInfo(std::string_view name, T (Record::*get)() const, void (Record::*set)(T),
                      std::string_view arrayName = {})
      : name_(name), arrayName_(arrayName), access_(Access<T>{get, set}) {}

  constexpr std::string_view Name() const { return name_; }
  constexpr std::string_view ArrayName() const { return arrayName_; }
  constexpr FieldKind Kind() const { return static_cast<FieldKind>(access_.index()); }
  constexpr bool IsSeries() const { return Kind() == FieldKind::Series; }

  FieldValue Get(const Record& record) const {
    return std::visit([&](const auto& a) { return FieldValue((record.*a.get)()); }, access_);
  }
  // Fails with 13 when value is not of the field's kind.
  void Set(Record& record, const FieldValue& value) const {
    if (value.index() != access_.index()) throw RuntimeError(ErrorNumber::TypeMismatch);
    std::visit(
        [&](const auto& a) {
          using Stored = std::decay_t<decltype((record.*a.get)())>;
          (record.*a.set)(std::get<Stored>(value));
        },
        access_);
  }
  // Calls visit(value) with the field's value in its own type.
  template <class F>
  void Visit(const Record& record, F&& visit) const {
    std::visit([&](const auto& a) { visit((record.*a.get)()); }, access_);
  }

 private:
  template <class T>
  struct Access {
    T (Record::*get)() const;
    void (Record::*set)(T);
  };
  std::string_view name_;
  std::string_view arrayName_;
  std::variant<Access<const std::string&>, Access<int32_t>, Access<float>, Access<Date>,
               Access<ScanDataPtr>>
      access_;
};

// Specialised beside each record class: kName (the instrument's name) and
// kFields (a std::array of FieldInfo<Record> in declaration order).
template <class Record>
struct RecordFields;

template <class Record>
constexpr const auto& FieldTable() {
  return RecordFields<Record>::kFields;
}

template <class Record>
constexpr std::string_view RecordName() {
  return RecordFields<Record>::kName;
}

// Null when the record has no field of that name.
template <class Record>
constexpr const FieldInfo<Record>* FindField(std::string_view name) {
  for (const auto& field : FieldTable<Record>()) {
    if (field.Name() == name) return &field;
  }
  return nullptr;
}

// visit(field, value) for every field in order, value in the field's own type.
template <class Record, class F>
void ForEachField(const Record& record, F&& visit) {
  for (const auto& field : FieldTable<Record>()) {
    field.Visit(record, [&](const auto& value) { visit(field, value); });
  }
}

template <class Record>
bool SameFields(const Record& a, const Record& b) {
  for (const auto& field : FieldTable<Record>()) {
    if (!SameFieldValue(field.Get(a), field.Get(b))) return false;
  }
  return true;
}

// Copies every field that is not a series from one record to another.
template <class Record>
void CopyValueFields(const Record& from, Record& to) {
  for (const auto& field : FieldTable<Record>()) {
    if (!field.IsSeries()) field.Set(to, field.Get(from));
  }
}

}  // namespace travimo
