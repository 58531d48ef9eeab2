#pragma once
// Records built from their field names, so expectations read as tables.
#include <initializer_list>
#include <string_view>
#include <utility>

#include <travimo/model/field_table.h>

namespace travimo::testing {

template <class Record>
Record WithFields(std::initializer_list<std::pair<std::string_view, FieldValue>> fields,
                  Record record = {}) {
  for (const auto& [name, value] : fields) FindField<Record>(name)->Set(record, value);
  return record;
}

}  // namespace travimo::testing
