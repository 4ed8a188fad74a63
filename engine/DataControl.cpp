#include "engine/DataControl.h"

#include "engine/Driver.h"
#include "engine/EngineError.h"
#include "engine/FileKind.h"
#include "engine/Recordset.h"
#include "engine/TableSource.h"
#include "engine/dbf/DbfTable.h"
#include "engine/dbf/File.h"
#include "engine/dbf/TableReplacement.h"
#include "engine/xls/XlsSheetSource.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace engine {

namespace fs = std::filesystem;

struct DataControl::State {
    std::string connect = "dBASE III;";
    std::string databaseName;
    std::string recordSource;
    bool readOnly = false;
    int recordsetType = kTable;
    std::string encoding;
    const dbf::FileSystem* files = nullptr;
    std::string caption;
    std::unique_ptr<Recordset> recordset;
    std::vector<std::string> openWarnings;
    std::vector<std::string> importantOpenWarnings;
    std::vector<DataControlListener*> listeners;

    template <typename Event>
    void notify(Event event) {
        // A listener may add or remove listeners while it is told.
        std::vector<DataControlListener*> copy = listeners;
        for (DataControlListener* listener : copy) {
            if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end()) {
                event(*listener);
            }
        }
    }
};

namespace {

// The table file that DatabaseName and RecordSource name: the folder joined with the file name
// (".dbf" added when the name has no extension), found without regard to case.
std::string findTable(const dbf::FileSystem& files, const std::string& folder,
                      const std::string& source) {
    fs::path relative(source);
    if (!relative.has_extension()) relative += ".dbf";
    fs::path joined = folder.empty() ? relative : fs::path(folder) / relative;
    std::optional<std::string> found =
        files.findCompanion(joined.string(), joined.extension().string());
    if (!found && dbf::finishInterruptedReplacement(files, joined.string())) {
        found = files.findCompanion(joined.string(), joined.extension().string());
    }
    if (!found) {
        throw EngineError("Cannot open " + joined.string() + ": there is no such table file.");
    }
    return *found;
}

std::unique_ptr<Recordset> openRecordset(const std::string& connect, const std::string& folder,
                                         const std::string& source, bool readOnly, int type,
                                         const std::string& encoding,
                                         const dbf::FileSystem& files) {
    Driver driver = parseDriver(connect);
    if (type < DataControl::kTable || type > DataControl::kSnapshot) {
        throw EngineError("RecordsetType " + std::to_string(type) +
                          " is not valid (0 table, 1 dynaset, 2 snapshot).");
    }
    if (driver == Driver::Excel) {
        std::string sheet = source;
        if (!sheet.empty() && sheet.back() == '$') sheet.pop_back();
        refuseFileOfTheOtherKind(folder, driver);
        return std::make_unique<Recordset>(openWorksheet(folder, sheet), Recordset::Kind::Snapshot,
                                           true);
    }
    bool snapshot = type == DataControl::kSnapshot;
    dbf::DbfOpenOptions options;
    options.writable = !readOnly && !snapshot;
    options.encoding = encoding;
    options.fileSystem = &files;
    const std::string table = findTable(files, folder, source);
    refuseFileOfTheOtherKind(table, driver);
    return std::make_unique<Recordset>(
        dbf::DbfTable::open(table, options),
        snapshot ? Recordset::Kind::Snapshot : Recordset::Kind::Dynaset, readOnly);
}

}  // namespace

DataControl::DataControl() : m_state(std::make_unique<State>()) {}

DataControl::~DataControl() {
    if (m_state->recordset) m_state->recordset->setListener(nullptr);
}

const std::string& DataControl::Connect() const { return m_state->connect; }
void DataControl::SetConnect(std::string connect) { m_state->connect = std::move(connect); }
const std::string& DataControl::DatabaseName() const { return m_state->databaseName; }
void DataControl::SetDatabaseName(std::string name) { m_state->databaseName = std::move(name); }
const std::string& DataControl::RecordSource() const { return m_state->recordSource; }
void DataControl::SetRecordSource(std::string source) { m_state->recordSource = std::move(source); }
bool DataControl::ReadOnly() const { return m_state->readOnly; }
void DataControl::SetReadOnly(bool readOnly) { m_state->readOnly = readOnly; }
int DataControl::RecordsetType() const { return m_state->recordsetType; }
void DataControl::SetRecordsetType(int type) { m_state->recordsetType = type; }
const std::string& DataControl::Encoding() const { return m_state->encoding; }
void DataControl::SetEncoding(std::string encoding) { m_state->encoding = std::move(encoding); }
void DataControl::SetFileSystem(const dbf::FileSystem* files) { m_state->files = files; }
const dbf::FileSystem& DataControl::Files() const {
    return m_state->files != nullptr ? *m_state->files : dbf::diskFileSystem();
}

std::string DataControl::TablePath() const {
    if (!isDbase(parseDriver(m_state->connect))) {
        throw EngineError("This works on dBASE tables only, not on worksheets.");
    }
    // The open table's own file: the settings may name another table by now.
    if (m_state->recordset) return m_state->recordset->sourceFiles().front();
    return findTable(Files(), m_state->databaseName, m_state->recordSource);
}

const std::string& DataControl::Caption() const { return m_state->caption; }
void DataControl::SetCaption(std::string caption) {
    m_state->caption = std::move(caption);
    m_state->notify([](DataControlListener& listener) { listener.captionChanged(); });
}

void DataControl::Refresh() {
    State& state = *m_state;
    if (state.recordSource.empty()) {
        if (state.recordset) SetRecordsetNothing();
        return;
    }
    // Everything that can fail happens before the open set is touched.
    std::unique_ptr<Recordset> opened = openRecordset(
        state.connect, state.databaseName, state.recordSource, state.readOnly, state.recordsetType,
        state.encoding, state.files != nullptr ? *state.files : dbf::diskFileSystem());
    if (state.recordset) state.recordset->setListener(nullptr);
    state.recordset = std::move(opened);
    state.recordset->setListener(this);
    state.openWarnings = state.recordset->warnings();
    state.importantOpenWarnings = state.recordset->importantWarnings();
    state.notify([](DataControlListener& listener) { listener.recordsetReplaced(); });
    state.notify([](DataControlListener& listener) { listener.recordPositionChanged(); });
}

Recordset* DataControl::GetRecordset() const { return m_state->recordset.get(); }

void DataControl::SetRecordsetNothing() {
    State& state = *m_state;
    if (!state.recordset) return;
    state.recordset->setListener(nullptr);
    state.recordset.reset();
    state.openWarnings.clear();
    state.importantOpenWarnings.clear();
    state.notify([](DataControlListener& listener) { listener.recordsetReplaced(); });
}

const std::vector<std::string>& DataControl::OpenWarnings() const { return m_state->openWarnings; }
const std::vector<std::string>& DataControl::ImportantOpenWarnings() const {
    return m_state->importantOpenWarnings;
}

void DataControl::addListener(DataControlListener* listener) {
    if (std::find(m_state->listeners.begin(), m_state->listeners.end(), listener) ==
        m_state->listeners.end()) {
        m_state->listeners.push_back(listener);
    }
}

void DataControl::removeListener(DataControlListener* listener) {
    auto& listeners = m_state->listeners;
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void DataControl::recordPositionChanged() {
    m_state->notify([](DataControlListener& listener) { listener.recordPositionChanged(); });
}

void DataControl::recordAppended(long position) {
    m_state->notify(
        [position](DataControlListener& listener) { listener.recordAppended(position); });
}

void DataControl::recordRemoved(long position) {
    m_state->notify(
        [position](DataControlListener& listener) { listener.recordRemoved(position); });
}

void DataControl::recordChanged(long position) {
    m_state->notify(
        [position](DataControlListener& listener) { listener.recordChanged(position); });
}

void DataControl::recordRecalled(long position) {
    m_state->notify(
        [position](DataControlListener& listener) { listener.recordRecalled(position); });
}

}  // namespace engine
