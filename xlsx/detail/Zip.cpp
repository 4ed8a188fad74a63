#include "xlsx/detail/Zip.h"

#include "xlsx/WorkbookView.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unzip.h>
#include <zip.h>

namespace xlsx::detail {

namespace {

constexpr unsigned kPieceSize = 1u << 20;
constexpr ZPOS64_T kZip32Limit = 0xFFFFFFFFu;

unzFile asReader(void* file) { return static_cast<unzFile>(file); }
zipFile asWriter(void* file) { return static_cast<zipFile>(file); }

// The description of a failed minizip call: the system's reason when there is one.
std::string failure(const std::string& what, int status) {
    if (status == Z_ERRNO && errno != 0) return what + ": " + std::strerror(errno);
    return what + " (zip status " + std::to_string(status) + ")";
}

}  // namespace

ZipReader::ZipReader(const std::string& path) : m_path(path), m_file(unzOpen64(path.c_str())) {
    if (m_file == nullptr) throw XlsxError(failure("cannot read the package " + path, Z_ERRNO));
}

ZipReader::~ZipReader() { unzClose(asReader(m_file)); }

std::vector<std::string> ZipReader::names() {
    std::vector<std::string> names;
    int status = unzGoToFirstFile(asReader(m_file));
    while (status == UNZ_OK) {
        char name[512];
        status = unzGetCurrentFileInfo64(asReader(m_file), nullptr, name, sizeof name, nullptr, 0,
                                         nullptr, 0);
        if (status != UNZ_OK) break;
        names.emplace_back(name);
        status = unzGoToNextFile(asReader(m_file));
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        throw XlsxError(failure("cannot list the package " + m_path, status));
    }
    return names;
}

void ZipReader::locate(const std::string& name) {
    int status = unzLocateFile(asReader(m_file), name.c_str(), 1);
    if (status != UNZ_OK) throw XlsxError(failure("cannot find " + name + " in " + m_path, status));
}

std::string ZipReader::read(const std::string& name) {
    locate(name);
    int status = unzOpenCurrentFile(asReader(m_file));
    if (status != UNZ_OK) throw XlsxError(failure("cannot read " + m_path, status));
    std::string bytes;
    char piece[64 * 1024];
    int got;
    while ((got = unzReadCurrentFile(asReader(m_file), piece, sizeof piece)) > 0) {
        bytes.append(piece, static_cast<std::size_t>(got));
    }
    status = unzCloseCurrentFile(asReader(m_file));
    if (got < 0 || status != UNZ_OK) {
        throw XlsxError(failure("cannot read " + m_path, got < 0 ? got : status));
    }
    return bytes;
}

ZipWriter::ZipWriter(const std::string& path)
    : m_path(path), m_file(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)) {
    if (m_file == nullptr) throw XlsxError(failure("cannot write " + path, Z_ERRNO));
}

ZipWriter::~ZipWriter() {
    if (m_file != nullptr) zipClose(asWriter(m_file), nullptr);
}

void ZipWriter::check(int status, const std::string& what) const {
    if (status != ZIP_OK) throw XlsxError(failure(what + (" " + m_path), status));
}

void ZipWriter::begin(const std::string& name, int level, bool zip64) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980;
    info.tmz_date.tm_mday = 1;
    errno = 0;
    check(zipOpenNewFileInZip4_64(asWriter(m_file), name.c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, Z_DEFLATED, level, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                  Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0, zip64 ? 1 : 0),
          "cannot write");
}

void ZipWriter::write(std::string_view bytes) {
    while (!bytes.empty()) {
        auto size = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), kPieceSize));
        errno = 0;
        check(zipWriteInFileInZip(asWriter(m_file), bytes.data(), size), "cannot write");
        bytes.remove_prefix(size);
    }
}

void ZipWriter::end() {
    errno = 0;
    check(zipCloseFileInZip(asWriter(m_file)), "cannot write");
}

void ZipWriter::copy(ZipReader& source, const std::string& name) {
    source.locate(name);
    unz_file_info64 stored{};
    int status = unzGetCurrentFileInfo64(asReader(source.m_file), &stored, nullptr, 0, nullptr, 0,
                                         nullptr, 0);
    int method = 0;
    int level = 0;
    if (status == UNZ_OK) {
        status = unzOpenCurrentFile2(asReader(source.m_file), &method, &level, 1);
    }
    if (status != UNZ_OK) throw XlsxError(failure("cannot read " + source.m_path, status));
    struct CloseEntry {
        unzFile file;
        ~CloseEntry() { unzCloseCurrentFile(file); }
    } closeEntry{asReader(source.m_file)};

    zip_fileinfo info{};
    info.dosDate = stored.dosDate;
    info.internal_fa = stored.internal_fa;
    info.external_fa = stored.external_fa;
    const bool zip64 =
        stored.uncompressed_size >= kZip32Limit || stored.compressed_size >= kZip32Limit;
    errno = 0;
    check(zipOpenNewFileInZip2_64(asWriter(m_file), name.c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, method, level, 1, zip64 ? 1 : 0),
          "cannot write");
    std::unique_ptr<char[]> piece(new char[kPieceSize]);
    int got;
    while ((got = unzReadCurrentFile(asReader(source.m_file), piece.get(), kPieceSize)) > 0) {
        errno = 0;
        check(zipWriteInFileInZip(asWriter(m_file), piece.get(), static_cast<unsigned>(got)),
              "cannot write");
    }
    if (got < 0) throw XlsxError(failure("cannot read " + source.m_path, got));
    errno = 0;
    check(zipCloseFileInZipRaw64(asWriter(m_file), stored.uncompressed_size, stored.crc),
          "cannot write");
}

void ZipWriter::close() {
    errno = 0;
    int status = zipClose(asWriter(m_file), nullptr);
    m_file = nullptr;
    check(status, "cannot write");
}

}  // namespace xlsx::detail
