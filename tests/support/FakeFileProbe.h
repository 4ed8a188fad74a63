// A file test for tests: the files that "exist" are the ones the test names.
#pragma once

#include "platform/FileProbe.h"

#include <set>
#include <string>
#include <vector>

namespace testsupport {

class FakeFileProbe : public platform::FileProbe {
public:
    std::set<std::string> existing;
    std::vector<std::string> probed;  // every path asked about, in order

    bool fileExists(const std::string& path) override {
        probed.push_back(path);
        return existing.count(path) != 0;
    }
};

}  // namespace testsupport
