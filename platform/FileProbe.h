// Tests on the file system that windows need, behind an interface so tests can fake them.
#pragma once

#include <string>

namespace platform {

class FileProbe {
public:
    virtual ~FileProbe() = default;
    // True when a regular file exists at the path.
    virtual bool fileExists(const std::string& path) = 0;
};

}  // namespace platform
