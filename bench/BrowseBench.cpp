// A timed run of the main window over a large table: opening it and showing its first rows,
// jumping to its last record, paging through it, and the memory in use meanwhile.
//
//   browse_bench [RECORDS]   (default 1000000; run with QT_QPA_PLATFORM=offscreen)
#include "bench/TableGenerator.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "platform/FileProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/RegistryReader.h"
#include "shell/AppServices.h"
#include "shell/DirListBox.h"
#include "shell/FileListBox.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Resident and peak resident memory of this process, in MiB.
std::pair<double, double> memoryInUse() {
    std::ifstream status("/proc/self/status");
    std::string line;
    double rss = 0;
    double peak = 0;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) rss = std::stod(line.substr(6)) / 1024;
        if (line.rfind("VmHWM:", 0) == 0) peak = std::stod(line.substr(6)) / 1024;
    }
    return {rss, peak};
}

class SilentPrompts : public platform::Prompts {
public:
    platform::MessageResult messageBox(const std::string& text, platform::MessageButtons,
                                       platform::MessageIcon, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return platform::MessageResult::Ok;
    }
    std::string inputBox(const std::string&, const std::string&) override { return {}; }
    std::optional<platform::SavedFileName> saveFileName(const std::string&) override { return {}; }
    std::unique_ptr<platform::ProgressReport> progress(const std::string&,
                                                       const std::string&) override {
        return std::make_unique<platform::SilentProgress>();
    }
};
class NoRegistry : public platform::RegistryReader {
public:
    std::optional<Handle> open(std::uint32_t, const std::string&) override { return {}; }
    std::optional<QueryResult> query(Handle, const std::string&, std::size_t) override {
        return {};
    }
    void close(Handle) override {}
};
class NoLauncher : public platform::ProcessLauncher {
public:
    void start(const std::string&) override {}
};
class NoFiles : public platform::FileProbe {
public:
    bool fileExists(const std::string&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t records =
        argc > 1 ? static_cast<std::uint32_t>(std::stoul(argv[1])) : 1000000;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("quillon-browse-bench-" + std::to_string(records));
    std::filesystem::create_directories(folder);
    const std::filesystem::path table = folder / "BIG.dbf";
    if (!std::filesystem::exists(table)) bench::generateTable(table.string(), records);

    QApplication application(argc, argv);
    SilentPrompts prompts;
    NoRegistry registry;
    NoLauncher launcher;
    NoFiles files;
    shell::AppServices services{prompts, registry, launcher, files, [&](QDialog& window) {
                                    window.findChild<shell::DirListBox*>("Dir1")->setPath(
                                        QString::fromStdString(folder.string()));
                                    auto* list = window.findChild<shell::FileListBox*>("File1");
                                    list->item(0)->setSelected(true);
                                    window.findChild<QToolButton*>("cmdAceptar")->click();
                                }};
    browser::frmPrincipal window(services);
    window.show();
    QApplication::processEvents();
    auto* grid = window.findChild<QTableView*>("dbgDbf");
    const auto [rssBefore, peakBefore] = memoryInUse();

    auto start = Clock::now();
    window.findChild<QToolButton*>("cmdMenu1")->click();
    QApplication::processEvents();
    grid->grab();
    const double openMs = millisecondsSince(start);
    const auto [rssOpen, peakOpen] = memoryInUse();
    const std::string openCaption = window.dataControl().Caption();

    start = Clock::now();
    window.dataControl().GetRecordset()->MoveLast();
    QApplication::processEvents();
    grid->grab();
    const double lastMs = millisecondsSince(start);
    const std::string lastCaption = window.dataControl().Caption();

    start = Clock::now();
    QScrollBar* scroll = grid->verticalScrollBar();
    const int pages = 500;
    for (int page = 0; page < pages; ++page) {
        scroll->setValue(
            static_cast<int>(static_cast<long long>(scroll->maximum()) * page / pages));
        grid->grab();
    }
    const double browseMs = millisecondsSince(start);
    const auto [rssBrowse, peakBrowse] = memoryInUse();

    std::printf("table: %u records, %.1f MiB on disk\n", records,
                static_cast<double>(std::filesystem::file_size(table)) / (1024 * 1024));
    std::printf("open and show the first rows: %.1f ms (caption \"%s\")\n", openMs,
                openCaption.c_str());
    std::printf("jump to the last record and show it: %.1f ms (caption \"%s\")\n", lastMs,
                lastCaption.c_str());
    std::printf("show %d pages spread over the table: %.1f ms (%.2f ms a page)\n", pages, browseMs,
                browseMs / pages);
    std::printf(
        "memory (resident / peak, MiB): window up %.1f / %.1f, table open %.1f / %.1f, "
        "after browsing %.1f / %.1f\n",
        rssBefore, peakBefore, rssOpen, peakOpen, rssBrowse, peakBrowse);
    return 0;
}
