// The data control (one instance is the main window's dtcDbf): five settings, Refresh, the open
// record set, a caption, and the record-position event. The only way windows reach table data.
#pragma once

#include "engine/RecordsetListener.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {

class Recordset;
namespace dbf {
class FileSystem;
}

// What views of the data control hear: the record set's events, plus these two.
class DataControlListener : public RecordsetListener {
public:
    // Refresh opened another record set, or the set was dropped; views reload everything.
    virtual void recordsetReplaced() {}
    virtual void captionChanged() {}
};

// Settings are read only at Refresh: changing them never touches the open set.
//
// Connect names the driver, matched without regard to case: "dBASE III;", "dBASE IV;",
// "dBASE V;" (also "dBASE 5.0;") open dBASE tables (any supported version, whatever the
// driver's version), "Excel 8.0;" opens a worksheet of a workbook. For dBASE, DatabaseName is the
// folder and RecordSource the table file name; for Excel, DatabaseName is the workbook's path and
// RecordSource the worksheet name followed by "$" ("Sheet1$"). Worksheets always open as
// read-only snapshots.
class DataControl : private RecordsetListener {
public:
    enum RecordsetTypes { kTable = 0, kDynaset = 1, kSnapshot = 2 };

    DataControl();
    ~DataControl() override;
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;

    const std::string& Connect() const;
    void SetConnect(std::string connect);
    const std::string& DatabaseName() const;
    void SetDatabaseName(std::string name);
    const std::string& RecordSource() const;
    void SetRecordSource(std::string source);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    int RecordsetType() const;
    void SetRecordsetType(int type);
    // Overrides the table's code page at the next Refresh ("" = the table's own: .cpg file,
    // language driver byte, else CP1252). An iconv encoding name or a code page number.
    const std::string& Encoding() const;
    void SetEncoding(std::string encoding);

    // The files through which Refresh finds and opens dBASE tables: the disk when null, as it is
    // from the start (tests give files held in memory). Not owned: it must outlive the sets
    // opened through it.
    void SetFileSystem(const dbf::FileSystem* files);
    // The files Refresh opens tables through (the disk unless SetFileSystem gave others).
    const dbf::FileSystem& Files() const;
    // The dBASE table file for the tools that work on a table's files: the open record set's,
    // else the one the settings name, as Refresh finds it. Throws EngineError for a worksheet,
    // or when there is no such file.
    std::string TablePath() const;

    const std::string& Caption() const;
    void SetCaption(std::string caption);

    // Opens a record set from the settings, replacing the open one, and raises recordsetReplaced
    // and the record-position event. With an empty RecordSource it leaves no set, does not fail
    // and raises no record-position event (a set still open is dropped, which views hear as
    // recordsetReplaced). On failure throws EngineError and leaves the previous set open, current
    // and unchanged. RecordsetType 0 (table) and 1 open a dynaset, 2 a snapshot.
    void Refresh();

    // The open record set, or null.
    Recordset* GetRecordset() const;
    // "Recordset := nothing": drops the open set (views hear recordsetReplaced).
    void SetRecordsetNothing();

    // The warnings of the last successful open, and those of them that change what the user
    // sees or may do (records hidden, read-only and why, values unreadable), for the window to
    // show once; the others are harmless details left to the table check.
    const std::vector<std::string>& OpenWarnings() const;
    const std::vector<std::string>& ImportantOpenWarnings() const;

    void addListener(DataControlListener* listener);
    void removeListener(DataControlListener* listener);

private:
    void recordPositionChanged() override;
    void recordAppended(long position) override;
    void recordRemoved(long position) override;
    void recordChanged(long position) override;
    void recordRecalled(long position) override;

    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace engine
