#include <cmath>

#include <travimo/model/field_table.h>

namespace travimo {

namespace {

bool SameNumber(float a, float b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

bool SameArray(const SingleArray& a, const SingleArray& b) {
  if (a.LowerBound() != b.LowerBound() || a.Size() != b.Size()) return false;
  for (size_t i = 0; i < a.Values().size(); ++i) {
    if (!SameNumber(a.Values()[i], b.Values()[i])) return false;
  }
  return true;
}

struct Same {
  const FieldValue& other;
  bool operator()(float a) const { return SameNumber(a, std::get<float>(other)); }
  bool operator()(const ScanDataPtr& a) const {
    const auto& b = std::get<ScanDataPtr>(other);
    if (!a || !b) return !a && !b;
    return a == b || SameArray(a->ScanData(), b->ScanData());
  }
  template <class T>
  bool operator()(const T& a) const {
    return a == std::get<T>(other);
  }
};

}  // namespace

bool SameFieldValue(const FieldValue& a, const FieldValue& b) {
  return a.index() == b.index() && std::visit(Same{b}, a);
}

}  // namespace travimo
