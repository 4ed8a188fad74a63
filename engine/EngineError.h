// The one failure type of the table engine: its what() is the description the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace engine {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace engine
