#include "engine/dbf/DbfCreate.h"

#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::dbf {

namespace {

bool hasMemo(const NewTable& table) {
    return std::any_of(table.fields.begin(), table.fields.end(), [](const NewField& field) {
        return findFieldKind(field.type)->pointer != MemoPointer::None;
    });
}

std::string joined(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

// A file written under a temporary name, removed again unless it was moved into place.
class TemporaryFile {
public:
    TemporaryFile(const std::string& folder, const std::vector<std::uint8_t>& bytes) {
        std::string pattern = joined(folder, ".quillon-new-XXXXXX");
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) fail(folder, errno);
        m_path = pattern;
        mode_t mask = ::umask(0);
        ::umask(mask);
        bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += static_cast<std::size_t>(n);
        }
        ok = ok && ::fsync(fd) == 0;
        int error = errno;
        ok = ::close(fd) == 0 && ok;
        if (!ok) {
            ::unlink(m_path.c_str());
            fail(folder, error);
        }
    }
    ~TemporaryFile() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Moves the file to target unless target exists. Returns errno, 0 on success.
    int moveTo(const std::string& target) {
        int result =
            ::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without exclusive rename: a hard link fails on an existing name too.
            result = ::link(m_path.c_str(), target.c_str());
            if (result == 0) ::unlink(m_path.c_str());
        }
        if (result != 0) return errno;
        m_path.clear();
        return 0;
    }

private:
    [[noreturn]] static void fail(const std::string& folder, int error) {
        throw EngineError("Cannot create the table in " + folder + ": " + errorText(error) + ".");
    }
    std::string m_path;
};

[[noreturn]] void refuseMove(const std::string& target, int error) {
    if (error == EEXIST) {
        throw EngineError("Cannot create " + target + ": a file of that name already exists.");
    }
    throw EngineError("Cannot create " + target + ": " + errorText(error) + ".");
}

}  // namespace

std::vector<std::uint8_t> newTableBytes(const NewTable& table) {
    const bool memo = hasMemo(table);
    const std::size_t headerLength = kHeaderSize + kDescriptorSize * table.fields.size() + 1;
    std::size_t recordLength = 1;
    for (const NewField& field : table.fields)
        recordLength += static_cast<std::size_t>(field.length);

    std::vector<std::uint8_t> bytes(headerLength + 1, 0);
    bytes[kOffsetVersion] =
        !memo ? kVersionPlain
              : (table.memoStyle == MemoStyle::III ? kVersionMemoIII : kVersionMemoIV);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    bytes[kOffsetUpdateDate] = static_cast<std::uint8_t>(local.tm_year);
    bytes[kOffsetUpdateDate + 1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    bytes[kOffsetUpdateDate + 2] = static_cast<std::uint8_t>(local.tm_mday);
    base::storeLittle<std::uint16_t>(bytes.data() + kOffsetHeaderLength,
                                     static_cast<std::uint16_t>(headerLength));
    base::storeLittle<std::uint16_t>(bytes.data() + kOffsetRecordLength,
                                     static_cast<std::uint16_t>(recordLength));
    bytes[kOffsetLanguageDriver] = languageDriverFor(1252);
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        const NewField& field = table.fields[i];
        std::uint8_t* d = bytes.data() + kHeaderSize + kDescriptorSize * i;
        for (std::size_t k = 0; k < field.name.size() && k < kMaxFieldNameLength; ++k) {
            d[k] = static_cast<std::uint8_t>(field.name[k]);
        }
        d[kDescriptorType] = static_cast<std::uint8_t>(field.type);
        d[kDescriptorLength] = static_cast<std::uint8_t>(field.length);
        d[kDescriptorDecimals] = static_cast<std::uint8_t>(field.decimals);
    }
    bytes[headerLength - 1] = kFieldTerminator;
    bytes[headerLength] = kEndOfFile;
    return bytes;
}

std::vector<std::uint8_t> newMemoBytes(const NewTable& table) {
    if (!hasMemo(table)) return {};
    std::vector<std::uint8_t> bytes(kMemoBlockSize, 0);
    base::storeLittle<std::uint32_t>(bytes.data() + kMemoHeaderNextFree, 1);
    if (table.memoStyle == MemoStyle::IV) {
        std::string base = std::filesystem::path(table.dbtName).stem().string();
        for (std::size_t i = 0; i < base.size() && i < 8; ++i) {
            bytes[kMemoHeaderName + i] = static_cast<std::uint8_t>(base[i]);
        }
        bytes[18] = 0x02;
        bytes[19] = 0x01;
        base::storeLittle<std::uint16_t>(bytes.data() + kMemoHeaderBlockSize,
                                         static_cast<std::uint16_t>(kMemoBlockSize));
    }
    return bytes;
}

void createTable(const NewTable& table) {
    const bool memo = hasMemo(table);
    const std::string dbfPath = joined(table.folder, table.dbfName);
    const std::string dbtPath = joined(table.folder, table.dbtName);
    TemporaryFile dbf(table.folder, newTableBytes(table));
    std::unique_ptr<TemporaryFile> dbt;
    if (memo) dbt = std::make_unique<TemporaryFile>(table.folder, newMemoBytes(table));
    // The memo file first: a table file never appears without its memo file.
    if (dbt) {
        if (int error = dbt->moveTo(dbtPath); error != 0) refuseMove(dbtPath, error);
    }
    if (int error = dbf.moveTo(dbfPath); error != 0) {
        if (dbt) ::unlink(dbtPath.c_str());
        refuseMove(dbfPath, error);
    }
}

}  // namespace engine::dbf
