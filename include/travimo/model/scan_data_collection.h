#pragma once
#include <travimo/model/keyed_collection.h>
#include <travimo/model/scan_data.h>

namespace travimo {

using CScanDataColCls = KeyedCollection<CScanDataCls>;

}  // namespace travimo
