// A table's code page changed: marked (the header's language driver, or a .cpg file where no
// driver byte stands for the code page) or converted (every text and memo value re-encoded).
#pragma once

#include "engine/Progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

namespace dbf {
class FileSystem;
}

struct CodePageResult {
    std::string codePage;  // the code page the table now names: "866 (Russian MS-DOS)"
    // How it names it: "language driver byte 0x65", "people.cpg (UTF-8)", or both.
    std::string marking;
    std::uint32_t changedValues = 0;  // converting: the values whose bytes changed
    std::string tableBackup;          // converting: where the old files are now
    std::string memoBackup;           // "" without a memo file
};

// Marks the dBASE table at tablePath as being in the code page named (see
// dbf::codePageFromUserName) without touching a record: the language driver byte that stands for
// it (0 where none does; a dBASE 7 table's driver name is cleared, so that the byte speaks), one
// small write in the header under the header's lock; and a .cpg file naming it where no byte
// stands for it or where the table already has a .cpg (which would otherwise speak over the
// byte), written whole under a temporary name first. Throws EngineError "Cannot change the code
// page of NAME: why." with the table unchanged: an unknown code page, a table that is read-only
// for a reason of its own or cannot be written, another writer holding the header.
CodePageResult markCodePage(const std::string& tablePath, const std::string& codePage,
                            const dbf::FileSystem* files = nullptr);

// Converts the table's text into the code page named and marks it so (as markCodePage). from
// names the code page the text is in now ("": the table's own). A first pass reads every record
// and refuses, having written nothing, when a value has a character the new code page lacks or
// no longer fits its field (record and field named), or a text memo cannot be read whole; then
// the table is written anew through a table replacement (dbf/TableReplacement.h, old files kept
// as numbered backups). Character fields and text memos are re-encoded; binary fields and memos
// (V, M with Visual FoxPro's binary flag, G, P, B memos, ...) and field names are kept byte for
// byte. The memo file is copied whole, and a memo whose bytes change is written after it and
// pointed at (its old blocks stay unused, as after an edit; pack compacts them). Text only in
// ASCII is never touched. Throws EngineError "Cannot convert NAME to code page X: why." with the
// table unchanged, or for the .cpg file, written after the replacement, saying what was done.
CodePageResult convertCodePage(const std::string& tablePath, const std::string& from,
                               const std::string& codePage, const dbf::FileSystem* files = nullptr,
                               const Progress& progress = {});

// How the first values of a field read in each of the usual code pages (dbf::usualCodePages),
// so that the user sees which one reads right.
struct CodePagePreview {
    struct Row {
        std::string name;      // "866 (Russian MS-DOS)"
        std::string encoding;  // what DataControl::SetEncoding takes: "866", "ISO-8859-5"
        bool current = false;  // the code page the table is read in now
        std::vector<std::string> values;
    };
    std::string field;  // the field shown: the one asked for, else the first text field
    std::vector<Row> rows;
};

// The first count values of field (0-based) of the dBASE table at tablePath, as each usual code
// page reads them: values with letters beyond ASCII first (the ones that tell code pages
// apart), from the first 10,000 live records. A field that holds no text (numbers, dates,
// binary data) gives way to the first text or memo field; a table without any gives rows
// without values. encoding: the code page the table is read in now ("": its own).
CodePagePreview previewCodePages(const std::string& tablePath, const std::string& encoding,
                                 int field, std::size_t count,
                                 const dbf::FileSystem* files = nullptr);

}  // namespace engine
