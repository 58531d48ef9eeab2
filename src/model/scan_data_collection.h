#pragma once
#include "model/keyed_collection.h"
#include "model/scan_data.h"

namespace travimo {

using CScanDataColCls = KeyedCollection<CScanDataCls>;

}  // namespace travimo
