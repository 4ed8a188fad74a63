#include "engine/dbf/TableEnding.h"

#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/DbfFormat.h"

#include <algorithm>

namespace engine::dbf {

namespace {

std::uint64_t countedEnd(const TableHeader& header, std::uint32_t declared) {
    return header.headerLength + std::uint64_t{declared} * header.recordLength;
}

void readTail(const File& file, const TableHeader& header, TableEnding& ending) {
    const std::uint64_t end = countedEnd(header, ending.declared);
    ending.tail.assign(
        end < ending.fileSize ? std::min<std::uint64_t>(ending.fileSize - end, 64 * 1024) : 0, 0);
    ending.tail.resize(file.readAt(end, ending.tail.data(), ending.tail.size()));
}

bool waitOutAppend(File& file) {
    try {
        return file.lockWaiting(kHeaderLockOffset, 1, File::LockKind::Shared);
    } catch (const EngineError&) {
        return false;  // a file system without locks: the first reading stands
    }
}

}  // namespace

bool TableEnding::agrees(const TableHeader& header) const {
    return countedEnd(header, declared) <= fileSize &&
           std::all_of(tail.begin(), tail.end(), [](std::uint8_t b) { return b == kEndOfFile; });
}

TableEnding readTableEnding(File& file, const TableHeader& header, std::uint64_t fileSize,
                            bool waitForAppend) {
    TableEnding ending{header.declaredCount, fileSize, {}};
    readTail(file, header, ending);
    // dBASE II keeps its count elsewhere, and no program of ours appends to it.
    if (ending.agrees(header) || header.versionInfo.layout.form != HeaderForm::Standard ||
        !waitForAppend || !waitOutAppend(file)) {
        return ending;
    }
    try {
        std::uint8_t count[4];
        file.readExactly(kOffsetRecordCount, count, sizeof count);
        ending.declared = base::loadLittle<std::uint32_t>(count);
        ending.fileSize = file.size();
        readTail(file, header, ending);
    } catch (...) {
        file.unlock(kHeaderLockOffset, 1);
        throw;
    }
    file.unlock(kHeaderLockOffset, 1);
    return ending;
}

}  // namespace engine::dbf
