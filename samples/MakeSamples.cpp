// quillon-make-samples FOLDER: makes the sample tables of samples/ with the engine itself:
// creates each table through the table-definition calls and fills it through a record set.
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "engine/TableDefinition.h"
#include "engine/Value.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct FieldSpec {
    const char* name;
    std::int32_t type;
    std::int16_t size;
};

using Row = std::vector<std::string>;

// Creates folder/name.dbf with the fields, appends the rows (texts the engine converts), and
// deletes the records whose positions are listed.
void makeTable(const std::string& folder, const std::string& connect, const std::string& name,
               const std::vector<FieldSpec>& fields, const std::vector<Row>& rows,
               const std::vector<long>& deletedPositions = {}) {
    for (const char* extension : {".dbf", ".dbt"})
        fs::remove(fs::path(folder) / (name + extension));
    auto database = engine::OpenDatabase(folder, 512, false, connect);
    auto table = database->CreateTableDef(name);
    for (const FieldSpec& field : fields) {
        table->Fields().Append(table->CreateField(field.name, field.type, field.size));
    }
    database->TableDefs().Append(table);

    engine::DataControl control;
    control.SetConnect(connect);
    control.SetDatabaseName(folder);
    control.SetRecordSource(name + ".dbf");
    control.SetRecordsetType(engine::DataControl::kDynaset);
    control.Refresh();
    engine::Recordset& recordset = *control.GetRecordset();
    for (const Row& row : rows) {
        recordset.AddNew();
        for (std::size_t i = 0; i < row.size(); ++i) {
            recordset.Fields().Item(static_cast<int>(i)).SetValue(engine::Value::text(row[i]));
        }
        recordset.Update();
    }
    // Deleting moves later records down: delete from the last position to the first.
    for (auto it = deletedPositions.rbegin(); it != deletedPositions.rend(); ++it) {
        recordset.SetAbsolutePosition(*it);
        recordset.Delete();
    }
    std::cout << name << ".dbf: " << recordset.RecordCount() << " records, "
              << deletedPositions.size() << " deleted\n";
}

void makeSamples(const std::string& folder) {
    using namespace engine;
    // A dBASE III table without memo: every plain type.
    makeTable(folder, "dBASE III;", "clients",
              {{"NAME", kTypeText, 24},
               {"CITY", kTypeText, 18},
               {"JOINED", kTypeDate, 8},
               {"ACTIVE", kTypeBoolean, 1},
               {"BALANCE", kTypeDouble, 0},
               {"VISITS", kTypeInteger, 0}},
              {{"Alba Ferrer", "Valencia", "2019-03-14", "T", "1520.75", "12"},
               {"Bruno Costa", "Porto", "2020-11-02", "T", "-45.10", "3"},
               {"Chen Wei", "Singapore", "2018-07-21", "F", "0", "27"},
               {"Dara Nolan", "Cork", "2021-01-09", "T", "310.5", "8"},
               {"Emil Novak", "Brno", "2017-05-30", "F", "98000", "41"},
               {"Fatima Idrissi", "Rabat", "2022-09-15", "T", "12.345", "1"},
               {"Gustav Lind", "Uppsala", "", "", "", ""},
               {"Hiro Tanaka", "Osaka", "2016-12-24", "T", "2500", "19"},
               {"Ines Duarte", "Braga", "2023-04-01", "T", "75.2", "5"},
               {"Jonas Berg", "Bergen", "2015-08-18", "F", "-1200", "33"},
               {"Kamala Rao", "Pune", "2020-02-29", "T", "640.4", "14"},
               {"Luis Ortega", "Quito", "2019-10-10", "T", "88.88", "7"}});

    // A dBASE III table with a memo field.
    makeTable(folder, "dBASE III;", "diary",
              {{"DAY", kTypeDate, 8}, {"TITLE", kTypeText, 40}, {"ENTRY", kTypeMemo, 0}},
              {{"2024-01-02", "New year", "Cleaned the shelves.\r\nOrdered new labels."},
               {"2024-01-15", "Inventory", "Counted 312 boxes; 4 damaged."},
               {"2024-02-01", "Quiet day", ""},
               {"2024-02-29", "Leap day", "A day that only comes every four years."}});

    // A dBASE IV table with a memo field and text beyond ASCII (code page 1252).
    makeTable(folder, "dBASE IV;", "notes",
              {{"AUTHOR", kTypeText, 30},
               {"WRITTEN", kTypeDate, 8},
               {"PRICE", kTypeDouble, 0},
               {"NOTE", kTypeMemo, 0}},
              {{"Ren\xC3\xA9 Dupr\xC3\xA9", "2023-06-01", "19.99",
                "Caf\xC3\xA9 cr\xC3\xA8me, cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                "e.\r\n"
                "Prix: 4,50 \xE2\x82\xAC"},
               {"J\xC3\xBCrgen M\xC3\xBCller", "2023-07-12", "5",
                "Gr\xC3\xBC\xC3\x9F"
                "e aus K\xC3\xB6ln. Stra\xC3\x9F"
                "e und Gr\xC3\xB6\xC3\x9F"
                "e."},
               {"Zo\xC3\xAB Ni\xC3\xB1o", "2023-08-30", "12.5",
                "Se\xC3\xB1or, \xC2\xBF"
                "d\xC3\xB3nde est\xC3\xA1 la estaci\xC3\xB3n?"},
               {"\xC3\x85sa S\xC3\xB8rensen", "2023-09-09", "0.0807",
                "\xC3\x86"
                "bler og p\xC3\xA6rer, \xC3\xB8l og \xC3\xA5l."},
               {"Plain Author", "", "", ""}});

    // A table with a few deleted records, which record sets do not show.
    makeTable(folder, "dBASE IV;", "orders",
              {{"ORDERNO", kTypeInteger, 0},
               {"ITEM", kTypeText, 20},
               {"QTY", kTypeInteger, 0},
               {"SHIPPED", kTypeBoolean, 1},
               {"ORDERED", kTypeDate, 8}},
              {{"1001", "Paper, A4", "10", "T", "2024-03-01"},
               {"1002", "Stapler", "1", "T", "2024-03-02"},
               {"1003", "Ink, black", "4", "F", "2024-03-02"},
               {"1004", "Folders", "25", "T", "2024-03-04"},
               {"1005", "Envelopes", "200", "F", "2024-03-05"},
               {"1006", "Pens, blue", "50", "T", "2024-03-07"},
               {"1007", "Labels", "3", "F", "2024-03-08"},
               {"1008", "Tape", "6", "T", "2024-03-09"},
               {"1009", "Scissors", "2", "F", "2024-03-11"},
               {"1010", "Notebooks", "12", "T", "2024-03-12"}},
              {2, 5, 8});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillon-make-samples FOLDER\n";
        return 1;
    }
    try {
        makeSamples(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
