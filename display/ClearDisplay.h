// Wiping the press display: every visible sensor panel becomes white with its origin mark, the
// base plate is repainted and its footprint bitmaps hidden.
#pragma once

#include "layout/SensorLayout.h"

namespace korvi {

void ClearDisplay(SensorLayout& layout);

}  // namespace korvi
