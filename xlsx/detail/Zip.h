// The zip container of a package, over minizip: reading libxlsxwriter's package, writing ours.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xlsx::detail {

class ZipWriter;

// A zip file opened for reading. Every member throws XlsxError naming the file and the reason
// when minizip or the file system fails.
class ZipReader {
public:
    explicit ZipReader(const std::string& path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // The entries' names in the order they are stored.
    std::vector<std::string> names();
    // An entry's bytes, decompressed (for the small parts only: it is held whole).
    std::string read(const std::string& name);

private:
    friend class ZipWriter;
    void locate(const std::string& name);

    std::string m_path;
    void* m_file;
};

// A new zip file. Entries are written one at a time; close() writes the central directory.
// Every member throws XlsxError naming the file when minizip or the file system fails; the
// caller removes a file whose writing failed.
class ZipWriter {
public:
    explicit ZipWriter(const std::string& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Starts an entry deflated at level (1 to 9); zip64 allows it past 4 GB, and marks it so.
    void begin(const std::string& name, int level, bool zip64);
    void write(std::string_view bytes);
    void end();
    // Copies an entry of source as it is stored, its compressed bytes unchanged; ZIP64 only when
    // its sizes need it.
    void copy(ZipReader& source, const std::string& name);
    void close();

private:
    void check(int status, const std::string& what) const;

    std::string m_path;
    void* m_file;
};

}  // namespace xlsx::detail
