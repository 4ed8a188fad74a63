#include "engine/dbf/DbfCreate.h"

#include "base/Endian.h"
#include "base/TemporaryFile.h"
#include "engine/EngineError.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <system_error>
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

// The bytes written, durably, to a new temporary file beside the table (with no name where the
// file system allows: a creation that is killed leaves nothing behind).
std::unique_ptr<base::TemporaryFile> writeTemporary(const std::string& target,
                                                    const std::vector<std::uint8_t>& bytes) {
    const std::string folder = std::filesystem::path(target).parent_path().string();
    auto fail = [&folder](int error) {
        throw EngineError("Cannot create the table in " + folder + ": " + errorText(error) + ".");
    };
    std::unique_ptr<base::TemporaryFile> file;
    try {
        file = std::make_unique<base::TemporaryFile>(target, "new");
    } catch (const std::system_error& error) {
        fail(error.code().value());
    }
    const int fd = ::open(file->path().c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) fail(errno);
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int error = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok) fail(error);
    return file;
}

// Gives the temporary file its name; returns errno, 0 on success.
int place(base::TemporaryFile& file, const std::string& target) {
    try {
        file.place(target);
        return 0;
    } catch (const std::system_error& error) {
        return error.code().value();
    }
}

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
    auto dbf = writeTemporary(dbfPath, newTableBytes(table));
    std::unique_ptr<base::TemporaryFile> dbt;
    if (memo) dbt = writeTemporary(dbtPath, newMemoBytes(table));
    // The memo file first: a table file never appears without its memo file.
    if (dbt) {
        if (int error = place(*dbt, dbtPath); error != 0) refuseMove(dbtPath, error);
    }
    if (int error = place(*dbf, dbfPath); error != 0) {
        if (dbt) ::unlink(dbtPath.c_str());
        refuseMove(dbfPath, error);
    }
}

}  // namespace engine::dbf
