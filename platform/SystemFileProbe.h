// The file test on the local file system.
#pragma once

#include "platform/FileProbe.h"

namespace platform {

class SystemFileProbe : public FileProbe {
public:
    // True for a regular file, or a link to one; false for folders, missing paths and paths that
    // cannot be examined.
    bool fileExists(const std::string& path) override;
};

}  // namespace platform
