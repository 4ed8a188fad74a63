// quillon-cli export: the table written to a new workbook or CSV file by the application's own
// export.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "export/ExportarExcel.h"
#include "platform/Prompts.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

// Progress on standard error, for a terminal: once the work has lasted half a second, one line
// with the share done, rewritten at most five times a second and cleared at the end.
class TerminalProgress : public platform::ProgressReport {
public:
    explicit TerminalProgress(std::string text) : m_text(std::move(text)) {}
    ~TerminalProgress() override {
        if (m_shown) std::fputs("\r\033[K", stderr);
    }
    bool advance(long done, long total) override {
        if (done % 1024 != 0 && done < total) return true;
        const Clock::time_point now = Clock::now();
        if (now - m_start < std::chrono::milliseconds(500) ||
            now - m_last < std::chrono::milliseconds(200)) {
            return true;
        }
        m_last = now;
        m_shown = true;
        std::fprintf(stderr, "\r%s %3ld%%", m_text.c_str(), total > 0 ? done * 100 / total : 100);
        std::fflush(stderr);
        return true;
    }

private:
    std::string m_text;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_last;
    bool m_shown = false;
};

// The export's messages on standard output instead of boxes, its warnings on standard error;
// nothing is asked.
class PrintedPrompts : public platform::Prompts {
public:
    platform::MessageResult messageBox(const std::string& text, platform::MessageButtons,
                                       platform::MessageIcon icon, const std::string&) override {
        if (icon == platform::MessageIcon::Exclamation) {
            printWarnings({text});
        } else {
            std::cout << base::shownText(text) << std::endl;
        }
        return platform::MessageResult::Ok;
    }
    std::string inputBox(const std::string&, const std::string&) override { return {}; }
    std::optional<platform::SavedFileName> saveFileName(const std::string&) override {
        return std::nullopt;
    }
    std::unique_ptr<platform::ProgressReport> progress(const std::string& text,
                                                       const std::string&) override {
        if (::isatty(STDERR_FILENO) == 1) return std::make_unique<TerminalProgress>(text);
        return std::make_unique<platform::SilentProgress>();
    }
};

}  // namespace

int runExport(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 2) {
        throw UsageError("export takes TABLE and OUT.xls, OUT.xlsx or OUT.csv");
    }
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, false);
    printWarnings(dtcDbf.OpenWarnings());
    PrintedPrompts prompts;
    tableexport::ExportarExcel(dtcDbf, parsed.positional[1], prompts);
    return 0;
}

}  // namespace cli
