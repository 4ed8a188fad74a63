// quillon-cli create: a new, empty dBASE table from a list of fields, made the way the new-table
// window makes it.
#include "cli/CliArguments.h"
#include "tablecreate/Dbase.h"
#include "tablecreate/FieldTypes.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

namespace {

struct FieldRequest {
    std::string name;
    std::int16_t type = 0;
    std::int16_t length = 0;
};

std::vector<std::string> splitOnColons(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) return parts;
        start = colon + 1;
    }
}

// Reads one --field NAME:TYPE[:LENGTH], with the new-table window's checks in its order: the
// name, the length, the type. Boolean, Date and Memo fields have their length from their type.
FieldRequest parseField(const std::string& text) {
    const std::vector<std::string> parts = splitOnColons(text);
    if (parts.size() < 2 || parts.size() > 3) {
        throw UsageError("--field " + text + ": expected NAME:TYPE or NAME:TYPE:LENGTH");
    }
    const std::string& name = parts[0];
    const std::string& typeName = parts[1];
    const std::string length = parts.size() == 3 ? parts[2] : std::string();
    if (name.empty()) throw std::runtime_error(tablecreate::kFieldNameIsNull);
    const tablecreate::FieldTypeEntry* type = tablecreate::findFieldType(typeName);
    if (type == nullptr && !typeName.empty()) {
        throw UsageError("--field " + text + ": unknown type " + typeName +
                         " (Boolean, Date, Double, Integer, Memo, Text)");
    }
    if (type != nullptr && !type->fixedLength.empty()) {
        const std::string fixed(type->fixedLength);
        if (!length.empty() &&
            tablecreate::convertLength(length) != tablecreate::convertLength(fixed)) {
            throw UsageError("--field " + text + ": a " + typeName + " field's length is always " +
                             fixed);
        }
        return {name, type->code, tablecreate::convertLength(fixed)};
    }
    if (length.empty()) throw std::runtime_error(tablecreate::kLengthIsNull);
    if (type == nullptr) throw std::runtime_error(tablecreate::kTypeIsNull);
    return {name, type->code, tablecreate::convertLength(length)};
}

}  // namespace

int runCreate(const std::vector<std::string>& arguments) {
    const CliArguments parsed = parseArguments(arguments, {"connect", "field"});
    if (parsed.positional.size() != 2) throw UsageError("create needs FOLDER and TABLE");
    if (!parsed.has("connect")) {
        throw UsageError("create needs --connect (\"DBase III;\", \"DBase IV;\" or \"DBase V;\")");
    }
    const std::string& folder = parsed.positional[0];
    const std::string& table = parsed.positional[1];

    // Every field is checked before anything is defined.
    std::vector<FieldRequest> fields;
    for (const std::string& field : parsed.optionValues("field")) {
        fields.push_back(parseField(field));
    }

    tablecreate::Dbase dbase;
    dbase.DefinirTabla(folder, table, parsed.option("connect"));
    for (const FieldRequest& field : fields) {
        dbase.AgregarCampo(field.name, field.type, field.length);
    }
    dbase.CrearTabla();
    std::cout << "Created table " << table << " in " << folder << " with " << fields.size()
              << (fields.size() == 1 ? " field" : " fields") << ".\n";
    return 0;
}

}  // namespace cli
