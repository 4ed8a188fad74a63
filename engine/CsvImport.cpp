#include "engine/CsvImport.h"

#include "base/Utf8.h"
#include "engine/CsvReader.h"
#include "engine/EngineError.h"
#include "engine/PartlyDone.h"
#include "engine/Recordset.h"
#include "engine/Value.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace engine {

namespace {

constexpr const char* kNothing = "Nothing was imported";

[[noreturn]] void refuse(const std::string& why) {
    throw EngineError(std::string(kNothing) + ": " + why);
}

std::ifstream openCsv(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EngineError("Cannot read " + path + ": " + std::strerror(errno) + ".");
    }
    return in;
}

bool isUtf8(const std::string& text) {
    std::size_t at = 0;
    char32_t codePoint = 0;
    while (at < text.size()) {
        if (!base::utf8::next(text, at, codePoint)) return false;
    }
    return true;
}

// The field of each column, from the header row.
std::vector<int> columnsOf(const Recordset& set, const std::vector<std::string>& header) {
    std::vector<int> columns;
    for (const std::string& name : header) {
        const Field& field = [&]() -> const Field& {
            try {
                return set.Fields().Item(name);
            } catch (const EngineError& error) {
                refuse(std::string("line 1: ") + error.what());
            }
        }();
        for (int earlier : columns) {
            if (earlier == field.index()) refuse("line 1 names field " + field.Name() + " twice.");
        }
        if (!field.info().editable) {
            refuse("line 1 names field " + field.Name() +
                   ", whose values this program does not store (the table numbers it itself, "
                   "or it holds binary data).");
        }
        columns.push_back(field.index());
    }
    return columns;
}

std::string where(long line, const Recordset& set, int field) {
    return std::string(kNothing) + ". Line " + std::to_string(line) + ", field " +
           set.fieldInfos()[static_cast<std::size_t>(field)].name + ": ";
}

}  // namespace

long importCsv(Recordset& set, const std::string& csvPath) {
    const std::string name = std::filesystem::path(csvPath).filename().string();
    if (!set.Updatable()) {
        try {
            set.AddNew();  // throws why the set cannot be changed
        } catch (const EngineError& error) {
            refuse(error.what());
        }
    }
    std::vector<std::string> row;
    std::vector<int> columns;
    long rows = 0;
    {
        std::ifstream in = openCsv(csvPath);
        CsvReader reader(in);
        try {
            if (!reader.next(row)) refuse(name + " is empty.");
            columns = columnsOf(set, row);
            // A field the header leaves out gets no value: one that must have one is refused.
            for (int field = 0; field < static_cast<int>(set.fieldInfos().size()); ++field) {
                if (std::find(columns.begin(), columns.end(), field) != columns.end()) continue;
                if (!set.fieldInfos()[static_cast<std::size_t>(field)].editable) continue;
                try {
                    set.prepareValue(field, Value());
                } catch (const EngineError& error) {
                    refuse(std::string(error.what()) + " The CSV file has no column for it.");
                }
            }
            while (reader.next(row)) {
                ++rows;
                if (row.size() != columns.size()) {
                    refuse("line " + std::to_string(reader.line()) + " has " +
                           std::to_string(row.size()) + " values, the header " +
                           std::to_string(columns.size()) + ".");
                }
                for (std::size_t i = 0; i < row.size(); ++i) {
                    if (!isUtf8(row[i])) {
                        throw EngineError(where(reader.line(), set, columns[i]) +
                                          "the value is not UTF-8 text.");
                    }
                    try {
                        set.prepareValue(columns[i], Value::text(row[i]));
                    } catch (const EngineError& error) {
                        throw EngineError(where(reader.line(), set, columns[i]) + error.what());
                    }
                }
            }
        } catch (const EngineError& error) {
            if (std::string(error.what()).rfind(kNothing, 0) == 0) throw;
            refuse(error.what());
        }
    }

    std::ifstream in = openCsv(csvPath);
    CsvReader reader(in);
    long appended = 0;
    try {
        reader.next(row);
        while (reader.next(row)) {
            set.AddNew();
            for (std::size_t i = 0; i < row.size() && i < columns.size(); ++i) {
                set.Fields().Item(columns[i]).SetValue(Value::text(row[i]));
            }
            set.Update();
            ++appended;
        }
    } catch (const std::exception& failure) {
        if (set.editMode() != Recordset::EditMode::None) set.CancelUpdate();
        throw EngineError(partlyDoneMessage("Appended", appended,
                                            "the " + std::to_string(rows) + " rows of " + name,
                                            failure.what()));
    }
    return appended;
}

}  // namespace engine
