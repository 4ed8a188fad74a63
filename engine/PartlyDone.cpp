#include "engine/PartlyDone.h"

namespace engine {

std::string partlyDoneMessage(std::string_view doneVerb, long done, std::string_view which,
                              std::string_view failure) {
    if (done <= 0) return std::string(failure);
    std::string message(doneVerb);
    message.append(" ").append(std::to_string(done)).append(" of ").append(which);
    message.append(", then: ").append(failure);
    return message;
}

}  // namespace engine
