// How an operation that changes many records says, when it fails, how far it got.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// The description of a failure that stopped an operation part way: what had been done, then the
// failure ("Replaced 14 of the matching records, then: No space left on device"). doneVerb is
// the past tense ("Replaced", "Packed"), which the records it was done to ("the matching
// records", "the records"). With nothing done the failure alone is the description, since
// nothing was changed.
std::string partlyDoneMessage(std::string_view doneVerb, long done, std::string_view which,
                              std::string_view failure);

}  // namespace engine
