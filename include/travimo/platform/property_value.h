#pragma once
// One value of a property bag. The kinds are those the saved property set
// uses: Booleans, 16- and 32-bit integers, colours (as 32-bit), texts, the
// font and picture objects and the three record objects. Monostate is "none".
#include <cstdint>
#include <string>
#include <variant>

#include <travimo/model/brevane_record.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include <travimo/platform/display_objects.h>

namespace travimo {

using PropertyValue = std::variant<std::monostate, bool, int16_t, int32_t, std::string, FontPtr,
                                   PicturePtr, LorvexPtr, OstrelPtr, BrevanePtr>;

// Equality as the bag's "store nothing when equal to the default" rule sees
// it: objects compare by content, so an equal font is not written twice.
bool SameValue(const PropertyValue& a, const PropertyValue& b);

}  // namespace travimo
