// Another program changing a table while this one has it open: an open that lands in the middle
// of an append waits it out, a write past the end of a file cut short is refused, nothing
// written, and an edit starts from the record as the file holds it, locked until it is stored.
#include "engine/EngineError.h"
#include "engine/Replace.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

using engine::EngineError;
using engine::Value;
using enginetest::anyContains;
using enginetest::openTable;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::FileCall;
using testsupport::MemoryFileSystem;

namespace {

const std::string kPath = "/t/t.dbf";

// NAME C(4): the names given, the header counting declared of them (all by default).
Bytes table(std::vector<std::string> names, int declared = -1) {
    DbfBuilder builder(0x03);
    builder.field("NAME", 'C', 4);
    for (const std::string& name : names) builder.record({name});
    if (declared >= 0) builder.declaredCount(static_cast<std::uint32_t>(declared));
    return builder.dbf();
}

TEST(TableChangedMeanwhileTest, AnOpenDuringAnAppendSeesTheAppendFinished) {
    // The open reads the file as the appender left it between writing its record and raising
    // the count (or, from a program that raises the count first, the other way round); by the
    // time it holds the header's lock the appender may have finished.
    struct Case {
        const char* what;
        Bytes seen;
        std::optional<Bytes> finished;
        std::uint32_t count;
        bool writable;
        const char* warning;  // "" for none
    };
    const Bytes done = table({"a", "b", "c"});
    const Case cases[] = {
        {"record written, count not yet raised", table({"a", "b", "c"}, 2), done, 3, true, ""},
        {"count raised, record not yet written", table({"a", "b"}, 3), done, 3, true, ""},
        {"a table cut short stays so", table({"a", "b"}, 3), std::nullopt, 2, false,
         "is shorter than its header says (3 records stated, 2 present)"},
        {"a record past the count stays uncounted", table({"a", "b", "c"}, 2), std::nullopt, 2,
         true, "holds more records than its header counts"},
    };
    for (const Case& c : cases) {
        MemoryFileSystem files;
        files.put(kPath, c.seen);
        // Lock 1 is the open's own; lock 2 the header's, taken to read the ending again.
        if (c.finished)
            files.runAt(kPath, FileCall::Lock, 2, [&] { files.put(kPath, *c.finished); });
        auto opened = openTable(files, kPath);
        EXPECT_EQ(opened->physicalCount(), c.count) << c.what;
        EXPECT_EQ(opened->isWritable(), c.writable) << c.what;
        if (*c.warning == '\0') {
            EXPECT_TRUE(opened->warnings().empty()) << c.what << ": " << opened->warnings()[0];
        } else {
            EXPECT_TRUE(anyContains(opened->warnings(), c.warning)) << c.what;
        }
    }
}

TEST(TableChangedMeanwhileTest, AWritePastACutIsRefusedAndNothingIsWritten) {
    // Another program cuts the file to one record just before the write's last look at the
    // file under the lock (the nth read, or size, from there): the write would have grown the
    // file with zeros where records 2 and 3 were.
    struct Case {
        const char* what;
        FileCall cutAt;
        int nth;
        std::function<void(engine::dbf::DbfTable&)> write;
        const char* message;
    };
    auto change = [](engine::dbf::DbfTable& t) {
        t.updateRecord(2, {{0, t.prepareValue(0, Value::text("z"))}});
    };
    const Case cases[] = {
        {"change", FileCall::Read, 1, change,
         "Cannot change record 3 of /t/t.dbf: the file now ends before it"},
        {"change a held record", FileCall::Read, 2,
         [&](auto& t) {
             t.holdRecord(2);
             change(t);
         },
         "Cannot change record 3 of /t/t.dbf: the file now ends before it"},
        {"delete", FileCall::Read, 1, [](auto& t) { t.deleteRecord(2); },
         "Cannot delete record 3 of /t/t.dbf: the file now ends before it"},
        {"append", FileCall::Size, 1, [](auto& t) { t.appendRecord({}); },
         "Cannot add a record to /t/t.dbf: the file now ends before the records its header "
         "counts"},
    };
    const Bytes whole = table({"a", "b", "c"});
    const std::size_t cut = whole.size() - 1 - 2 * 5;  // no end mark, records 2 and 3 gone
    for (const Case& c : cases) {
        MemoryFileSystem files;
        files.put(kPath, whole);
        auto opened = openTable(files, kPath);
        files.resizeAt(kPath, c.cutAt, files.calls(kPath, c.cutAt) + c.nth, cut);
        try {
            c.write(*opened);
            ADD_FAILURE() << c.what << " wrote past the cut";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("nothing was written"), std::string::npos);
        }
        EXPECT_EQ(files.bytes(kPath), Bytes(whole.begin(), whole.begin() + cut)) << c.what;
    }
}

TEST(TableChangedMeanwhileTest, AReplaceStoppedByACutSaysWhatItReplaced) {
    // The table is cut to three records while the second match is stored; the fourth record
    // matched on the page read before the cut, and is refused.
    MemoryFileSystem files;
    files.put(kPath, table({"old", "old", "keep", "old"}));
    engine::Recordset set(openTable(files, kPath), engine::Recordset::Kind::Dynaset, false);
    files.resizeAt(kPath, FileCall::Write, 2, files.bytes(kPath).size() - 1 - 5);
    try {
        engine::ReplaceValues(set, "NAME", "old", Value::text("new"));
        ADD_FAILURE() << "replaced past the cut";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(),
                     "Replaced 2 of the matching records, then: Cannot change record 4 of "
                     "/t/t.dbf: the file now ends before it (another program may have cut the "
                     "table short); nothing was written.");
    }
    // The record's lock was given up with the edit: another open file may store it.
    EXPECT_EQ(set.editMode(), engine::Recordset::EditMode::None);
}

TEST(TableChangedMeanwhileTest, AnEditStartsFromTheRecordAsTheFileHoldsItNow) {
    MemoryFileSystem files;
    files.put(
        kPath,
        DbfBuilder(0x03).field("NAME", 'C', 4).field("CITY", 'C', 4).record({"ann", "rome"}).dbf());
    const auto kind = engine::Recordset::Kind::Dynaset;
    engine::Recordset mine(openTable(files, kPath), kind, false);
    engine::Recordset theirs(openTable(files, kPath), kind, false);
    mine.MoveFirst();
    theirs.MoveFirst();
    auto city = [](engine::Recordset& set) {
        return set.Fields().Item("CITY").GetValue().asText();
    };
    EXPECT_EQ(city(mine), "rome");  // now in its page
    theirs.Edit();
    theirs.Fields().Item("CITY").SetValue(Value::text("oslo"));
    theirs.Update();
    mine.Edit();
    EXPECT_EQ(city(mine), "oslo");
    // Held by this edit, the record cannot be edited by another open file until it is stored.
    EXPECT_THROW(theirs.Edit(), EngineError);
    mine.Fields().Item("NAME").SetValue(Value::text("bob"));
    mine.Update();
    theirs.Edit();
    EXPECT_EQ(theirs.Fields().Item("NAME").GetValue().asText(), "bob");
    EXPECT_EQ(city(theirs), "oslo");
}

}  // namespace
