#include <travimo/platform/property_value.h>

namespace travimo {
namespace {

template <class T>
bool SameObject(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) {
  if (a == b) return true;
  return false;  // records are never equal to a default of none unless both are none
}

bool SameObject(const FontPtr& a, const FontPtr& b) {
  if (a == b) return true;
  return a && b && *a == *b;
}

bool SameObject(const PicturePtr& a, const PicturePtr& b) {
  if (a == b) return true;
  return a && b && *a == *b;
}

}  // namespace

bool SameValue(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  return std::visit(
      [&](const auto& left) {
        using T = std::decay_t<decltype(left)>;
        const auto& right = std::get<T>(b);
        if constexpr (std::is_same_v<T, std::monostate>) {
          return true;
        } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, int16_t> ||
                             std::is_same_v<T, int32_t> || std::is_same_v<T, std::string>) {
          return left == right;
        } else {
          return SameObject(left, right);
        }
      },
      a);
}

}  // namespace travimo
