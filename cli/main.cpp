// quillon-cli: the table engine from the command line, for scripts and for checking the engine
// from outside the application.
#include "base/ShownText.h"
#include "cli/CliArguments.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: quillon-cli COMMAND ARGUMENTS\n"
    "  info TABLE [--encoding NAME] [--connect TEXT]\n"
    "      format, version, code page, fields, record counts and warnings of a table\n"
    "  dump TABLE [--with-deleted] [--encoding NAME] [--connect TEXT]\n"
    "      every live record as CSV (UTF-8) on standard output; --with-deleted: every record,\n"
    "      in table order, after a first column _deleted (true or false)\n"
    "  replace TABLE FIELD OLD NEW [--encoding NAME] [--connect TEXT]\n"
    "      puts NEW into FIELD of every record whose FIELD is exactly OLD\n"
    "  export TABLE OUT.xls|OUT.xlsx|OUT.csv [--encoding NAME] [--connect TEXT]\n"
    "      writes the table to a new workbook, or as dump's CSV, by the extension\n"
    "  create FOLDER TABLE --connect TEXT --field NAME:TYPE[:LENGTH] ...\n"
    "      creates an empty dBASE table (TYPE: Boolean, Date, Double, Integer, Memo, Text)\n"
    "  check TABLE\n"
    "      lists each problem of a dBASE table on its own line; exit status 0 when it is\n"
    "      sound, 3 when problems were found, 1 when it cannot be checked\n"
    "  repair TABLE\n"
    "      mends what check finds and can be mended safely, keeping the old files as backups\n"
    "      (TABLE.dbf.bak, ...) unless one small write in place does it; prints what it\n"
    "      changed and what is left (exit status 3 when problems are left)\n"
    "  recall TABLE [--record N] [--encoding NAME] [--connect TEXT]\n"
    "      clears the deletion mark of record N (counted from 1, deleted ones included), or of\n"
    "      every deleted record\n"
    "  pack TABLE\n"
    "      removes the deleted records for good and compacts the memo file; the old files are\n"
    "      kept as TABLE.dbf.bak (then .1.bak, .2.bak, ...) and the memo file's .bak\n"
    "  codepage TABLE NAME [--convert [--encoding FROM]]\n"
    "      marks a dBASE table as being in code page NAME (866, 1251, UTF-8, ISO-8859-5, ...):\n"
    "      its language driver byte, or a .cpg file where no byte names it; --convert also\n"
    "      re-encodes every text and memo value (read as FROM, default the table's own code\n"
    "      page), refusing with nothing written when one has a character NAME lacks; the old\n"
    "      files are kept as pack keeps them\n"
    "  import TABLE FILE.csv [--encoding NAME] [--connect TEXT]\n"
    "      appends the CSV file's rows (UTF-8; a header row naming fields), all or none: a\n"
    "      row that cannot be stored is reported with its line and field, and nothing is added\n"
    "A TABLE is a .dbf file or an .xls workbook (its worksheet Sheet1); --connect overrides the\n"
    "driver chosen by the extension (\"dBASE III;\", \"dBASE IV;\", \"dBASE V;\", \"Excel "
    "8.0;\").\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        std::cout << kUsage;
        return arguments.empty() ? 1 : 0;
    }
    const std::string command = arguments[0];
    arguments.erase(arguments.begin());
    try {
        if (command == "info") return cli::runInfo(arguments);
        if (command == "dump") return cli::runDump(arguments);
        if (command == "replace") return cli::runReplace(arguments);
        if (command == "export") return cli::runExport(arguments);
        if (command == "create") return cli::runCreate(arguments);
        if (command == "check") return cli::runCheck(arguments);
        if (command == "repair") return cli::runRepair(arguments);
        if (command == "recall") return cli::runRecall(arguments);
        if (command == "pack") return cli::runPack(arguments);
        if (command == "codepage") return cli::runCodePage(arguments);
        if (command == "import") return cli::runImport(arguments);
        throw cli::UsageError("unknown command " + command);
    } catch (const cli::UsageError& error) {
        std::cerr << "quillon-cli: " << base::shownText(error.what()) << "\n" << kUsage;
        return 1;
    } catch (const std::exception& error) {
        std::cerr << base::shownText(error.what()) << "\n";
        return 1;
    }
}
