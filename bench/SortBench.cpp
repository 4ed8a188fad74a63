// A timed run of the grid's view over a large table: sorting by columns of each kind, a filter,
// and a search that finds nothing (the longest scan), each with the memory it takes.
//
//   sort_bench [RECORDS]   (default 1000000)
#include "bench/TableGenerator.h"
#include "browser/RecordScan.h"
#include "browser/RecordsetModel.h"
#include "browser/ViewOrderModel.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A value of /proc/self/status, in KiB.
long statusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    }
    return 0;
}

// Runs step and prints its time, how far the resident peak rose above what was resident before
// it (the kernel's peak is reset first), and how much more stays resident after it, in bytes
// per record of the table.
void measure(const char* what, long records, const std::function<void()>& step) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKib("VmRSS:");
    const auto start = Clock::now();
    step();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const auto perRecord = [&](long kib) { return static_cast<double>(kib) * 1024 / records; };
    std::printf("%-44s %8.1f ms   peak +%5.1f   kept %+5.1f\n", what, ms,
                perRecord(statusKib("VmHWM:") - before), perRecord(statusKib("VmRSS:") - before));
}

}  // namespace

int main(int argc, char** argv) {
    // Large blocks are mapped and unmapped as they come and go, so that each step's memory is
    // seen whole (glibc would otherwise raise its threshold and keep freed blocks resident).
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    const std::uint32_t records =
        argc > 1 ? static_cast<std::uint32_t>(std::stoul(argv[1])) : 1000000;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillon-sort-bench-" + std::to_string(records));
    std::filesystem::create_directories(folder);
    const std::filesystem::path table = folder / "BIG.dbf";
    if (!std::filesystem::exists(table)) bench::generateTable(table.string(), records);

    engine::DataControl control;
    control.SetConnect("dBASE IV;");
    control.SetDatabaseName(folder.string());
    control.SetRecordSource("BIG.dbf");
    control.SetRecordsetType(engine::DataControl::kDynaset);
    control.Refresh();
    browser::RecordsetModel model(control);
    browser::ViewOrderModel view;
    view.setRecordsetModel(&model);
    const engine::Recordset& set = *control.GetRecordset();
    const long count = set.RecordCount();
    std::printf("table: %ld records, %.1f MiB on disk; memory in bytes per record\n", count,
                static_cast<double>(std::filesystem::file_size(table)) / (1024 * 1024));

    const struct {
        const char* what;
        int column;
    } kSorts[] = {
        {"sort by NAME (short texts, many equal)", 1},
        {"sort by NOTE (20-byte texts, 3 in 4 equal)", 8},
        {"sort by AMOUNT (numbers)", 3},
        {"sort by BORN (dates)", 4},
        {"sort by ACTIVE (logical values)", 5},
        {"sort by ID (numbers, already in order)", 0},
    };
    for (const auto& sort : kSorts) {
        measure(sort.what, count, [&] { view.sortByColumn(sort.column, Qt::AscendingOrder); });
    }
    measure("sort by AMOUNT, descending", count,
            [&] { view.sortByColumn(3, Qt::DescendingOrder); });
    view.showInRecordOrder();
    measure("show only CITY = Oslo (1 in 7)", count,
            [&] { view.showOnly(2, engine::Value::text("Oslo")); });
    view.showAll();
    browser::TextMatcher nowhere(QStringLiteral("no such text"), false);
    measure("find a text no record holds, all columns", count,
            [&] { browser::findRow(set, view.rowOrder(), -1, -1, nowhere); });
    measure("find it in one column", count,
            [&] { browser::findRow(set, view.rowOrder(), -1, 8, nowhere); });
    view.sortByColumn(3, Qt::AscendingOrder);
    measure("find it in one column, sorted view", count,
            [&] { browser::findRow(set, view.rowOrder(), -1, 8, nowhere); });
    return 0;
}
