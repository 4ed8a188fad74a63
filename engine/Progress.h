// How long scans of a record set tell how far they got, and learn that they should stop.
#pragma once

#include <functional>

namespace engine {

// Called with the records done so far and the records in all; returning false asks the scan to
// stop before its next record. An empty function is never called.
using Progress = std::function<bool(long done, long total)>;

}  // namespace engine
