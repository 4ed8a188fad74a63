#include "xls/biff8/CompoundFile.h"

#include "base/TemporaryFile.h"
#include "xls/WorkbookData.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>

namespace xls::biff8 {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
// Far beyond any real workbook stream (a full sheet is about 300 MB); stops a crafted size from
// exhausting memory.
constexpr gsf_off_t kMaxStreamSize = gsf_off_t(1) << 30;
constexpr std::size_t kChunk = 1 << 16;

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// While one lives on a thread, what glib and libgsf log there (warnings and criticals about a
// damaged container, mostly) is counted here instead of reaching standard error; messages of
// other threads, and of this one outside such a scope, go to glib's own handler as before.
class ContainerLog {
public:
    ContainerLog() : m_previous(t_current) {
        static std::once_flag once;
        std::call_once(once, [] { g_log_set_default_handler(&ContainerLog::handle, nullptr); });
        t_current = this;
    }
    ~ContainerLog() { t_current = m_previous; }
    ContainerLog(const ContainerLog&) = delete;
    ContainerLog& operator=(const ContainerLog&) = delete;

    // The warnings, criticals and errors heard.
    int problems() const { return m_problems; }

private:
    static void handle(const gchar* domain, GLogLevelFlags level, const gchar* message,
                       gpointer data) {
        if (t_current == nullptr) {
            g_log_default_handler(domain, level, message, data);
        } else if ((level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) !=
                   0) {
            ++t_current->m_problems;
        }
    }

    static thread_local ContainerLog* t_current;
    ContainerLog* m_previous;
    int m_problems = 0;
};

thread_local ContainerLog* ContainerLog::t_current = nullptr;

void initialiseGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string messageOf(const GError* error, const char* fallback) {
    return error != nullptr && error->message != nullptr ? error->message : fallback;
}

bool equalsNoCase(const char* name, const char* expected) {
    if (name == nullptr) return false;
    for (; *name != '\0' && *expected != '\0'; ++name, ++expected) {
        char a = *name >= 'A' && *name <= 'Z' ? static_cast<char>(*name + 32) : *name;
        if (a != *expected) return false;
    }
    return *name == '\0' && *expected == '\0';
}

// Says what a file that is not a compound file looks like.
[[noreturn]] void refuseNonCompound(const std::string& path, const std::vector<std::uint8_t>& head,
                                    std::uintmax_t size) {
    auto startsWith = [&](std::initializer_list<std::uint8_t> prefix) {
        return head.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), head.begin());
    };
    if (startsWith({'P', 'K', 0x03, 0x04})) {
        throw XlsError("The file " + quoted(path) +
                       " is a ZIP archive, such as an Excel 2007 or later workbook (.xlsx), not an "
                       "Excel 97-2003 workbook (.xls). Save it in the Excel 97-2003 format and "
                       "try again.");
    }
    if (startsWith({0x09, 0x00}) || startsWith({0x09, 0x02}) || startsWith({0x09, 0x04})) {
        throw XlsError("The file " + quoted(path) +
                       " is an Excel 2.x-4.0 worksheet (BIFF2-4); only Excel 97-2003 workbooks "
                       "(BIFF8) can be opened.");
    }
    if (startsWith({0x09, 0x08})) {
        throw XlsError("The file " + quoted(path) +
                       " holds workbook records without the compound-file container of an "
                       "Excel 97-2003 workbook (.xls); it cannot be opened.");
    }
    if (size < kHeaderSize) {
        throw XlsError("The file " + quoted(path) +
                       " is not an Excel 97-2003 workbook (.xls): it is too short (" +
                       std::to_string(size) + " bytes).");
    }
    throw XlsError("The file " + quoted(path) +
                   " is not an Excel 97-2003 workbook (.xls): it does not start with the "
                   "compound-file signature.");
}

// Checks that path is a readable regular file and looks at its first bytes. Returns its size.
std::uintmax_t checkInputFile(const std::string& path) {
    if (path.empty()) throw XlsError("No workbook file was given.");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            throw XlsError("The file " + quoted(path) + " does not exist.");
        }
        throw XlsError("Cannot open " + quoted(path) + ": " + std::strerror(errno) + ".");
    }
    if (S_ISDIR(info.st_mode)) {
        throw XlsError(quoted(path) + " is a folder, not a workbook file.");
    }
    if (!S_ISREG(info.st_mode)) throw XlsError(quoted(path) + " is not a regular file.");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw XlsError("Cannot open " + quoted(path) + ": " + std::strerror(errno) + ".");
    std::vector<std::uint8_t> head(kSignature.size());
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    auto size = static_cast<std::uintmax_t>(info.st_size);
    if (head.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), head.begin())) {
        refuseNonCompound(path, head, size);
    }
    if (size < kHeaderSize) {
        throw XlsError("The workbook " + quoted(path) + " is damaged: it is cut short (" +
                       std::to_string(size) + " bytes).");
    }
    return size;
}

std::vector<std::uint8_t> readStream(GsfInput* input, const std::string& path,
                                     std::uintmax_t fileSize) {
    gsf_off_t size = gsf_input_size(input);
    // A stream cannot hold more than the file does; a directory entry that says so is damaged.
    if (size < 0 || static_cast<std::uintmax_t>(size) > fileSize) {
        throw XlsError("The workbook " + quoted(path) +
                       " is damaged: its workbook stream claims more bytes than the file holds.");
    }
    if (size > kMaxStreamSize) {
        throw XlsError("The workbook " + quoted(path) + " is too large to be read.");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t step = std::min(kChunk, bytes.size() - done);
        if (gsf_input_read(input, step, bytes.data() + done) == nullptr) {
            throw XlsError("The workbook " + quoted(path) +
                           " is damaged: its workbook stream cannot be read to its end.");
        }
        done += step;
    }
    return bytes;
}

}  // namespace

CompoundContent readCompoundFile(const std::string& path) {
    std::uintmax_t fileSize = checkInputFile(path);
    ContainerLog log;
    initialiseGsf();

    GError* rawError = nullptr;
    GPtr<GsfInput> input(gsf_input_stdio_new(path.c_str(), &rawError));
    GErrorPtr error(rawError);
    if (!input) {
        throw XlsError("Cannot open " + quoted(path) + ": " +
                       messageOf(error.get(), "the file cannot be read") + ".");
    }
    rawError = nullptr;
    GPtr<GsfInfile> container(gsf_infile_msole_new(input.get(), &rawError));
    error.reset(rawError);
    if (!container) {
        throw XlsError("The workbook " + quoted(path) +
                       " is damaged: its compound-file structure " + "is invalid (" +
                       messageOf(error.get(), "unreadable") + ").");
    }

    CompoundContent content;
    int workbookIndex = -1;
    bool workbookIsBook = false;
    int count = gsf_infile_num_children(container.get());
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(container.get(), i);
        GPtr<GsfInput> child(gsf_infile_child_by_index(container.get(), i));
        bool storage = child && GSF_IS_INFILE(child.get()) &&
                       gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
        bool isWorkbook = !storage && equalsNoCase(name, "workbook");
        bool isBook = !storage && equalsNoCase(name, "book");
        if (isWorkbook && (workbookIndex < 0 || workbookIsBook)) {
            if (workbookIndex >= 0) content.otherEntries.emplace_back("Book");
            workbookIndex = i;
            workbookIsBook = false;
        } else if (isBook && workbookIndex < 0) {
            workbookIndex = i;
            workbookIsBook = true;
        } else {
            content.otherEntries.emplace_back(name != nullptr ? name : "");
        }
    }
    if (workbookIndex < 0) {
        throw XlsError("The file " + quoted(path) +
                       " is a compound document without a readable workbook stream: it is not an "
                       "Excel workbook, or it is damaged.");
    }
    GPtr<GsfInput> stream(gsf_infile_child_by_index(container.get(), workbookIndex));
    if (!stream) {
        throw XlsError("The workbook " + quoted(path) +
                       " is damaged: its workbook stream cannot be opened.");
    }
    content.workbook = readStream(stream.get(), path, fileSize);
    content.damaged = log.problems() > 0;
    return content;
}

struct CompoundFileWriter::Handles {
    std::unique_ptr<base::TemporaryFile> file;
    GPtr<GsfOutput> sink;
    GPtr<GsfOutfile> container;
    GPtr<GsfOutput> stream;
    bool finished = false;

    // Closes what is open; the temporary file, never put in place, is discarded after.
    ~Handles() {
        if (finished || !sink) return;
        ContainerLog quiet;
        if (stream) gsf_output_close(stream.get());
        if (container) {
            gsf_output_close(GSF_OUTPUT(container.get()));
        } else {
            gsf_output_close(sink.get());
        }
        stream.reset();
        container.reset();
        sink.reset();
    }
};

void CompoundFileWriter::fail(const std::string& why) const {
    throw XlsError("Cannot write the workbook " + quoted(m_path) + ": " + why + ".");
}

CompoundFileWriter::CompoundFileWriter(const std::string& path)
    : m_path(path), m_handles(std::make_unique<Handles>()) {
    ContainerLog quiet;
    if (path.empty()) throw XlsError("No file name was given for the workbook.");
    std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    std::error_code ignored;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        fail("the folder " + quoted(folder.string()) + " does not exist");
    }
    if (std::filesystem::is_directory(target, ignored)) fail("a folder of that name exists");
    initialiseGsf();

    // Our own temporary file rather than libgsf's, which a killed save would leave behind.
    std::FILE* out = nullptr;
    try {
        m_handles->file = std::make_unique<base::TemporaryFile>(path, "new");
        out = std::fopen(m_handles->file->path().c_str(), "wb");
        if (out == nullptr) throw std::system_error(errno, std::generic_category(), path);
    } catch (const std::system_error& failure) {
        fail(failure.code().message());
    }
    m_handles->sink.reset(gsf_output_stdio_new_FILE(path.c_str(), out, FALSE));
    if (!m_handles->sink) {
        std::fclose(out);
        fail("the file cannot be created");
    }
    m_handles->container.reset(gsf_outfile_msole_new(m_handles->sink.get()));
    m_handles->stream.reset(gsf_outfile_new_child(m_handles->container.get(), "Workbook", FALSE));
    if (!m_handles->stream) fail("the workbook stream could not be created");
}

CompoundFileWriter::~CompoundFileWriter() = default;

void CompoundFileWriter::append(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    ContainerLog quiet;
    GsfOutput* stream = m_handles->stream.get();
    if (!gsf_output_write(stream, bytes.size(), bytes.data())) {
        fail(messageOf(gsf_output_error(stream), "the workbook stream could not be written"));
    }
}

void CompoundFileWriter::commit() {
    ContainerLog quiet;
    Handles& handles = *m_handles;
    bool streamClosed = gsf_output_close(handles.stream.get()) != FALSE;
    std::string why = streamClosed ? std::string()
                                   : messageOf(gsf_output_error(handles.stream.get()),
                                               "the workbook stream could not be written");
    handles.stream.reset();  // closed either way; on failure the destructor removes the file
    if (!streamClosed) fail(why);
    handles.finished = true;
    bool closed = gsf_output_close(GSF_OUTPUT(handles.container.get())) != FALSE;
    const GError* sinkError = gsf_output_error(handles.sink.get());
    if (!closed || sinkError != nullptr) {
        if (sinkError == nullptr) sinkError = gsf_output_error(GSF_OUTPUT(handles.container.get()));
        fail(messageOf(sinkError, "the file could not be completed"));
    }
    try {
        handles.file->replace(m_path);
    } catch (const std::system_error& failure) {
        fail(failure.code().message());
    }
}

}  // namespace xls::biff8
