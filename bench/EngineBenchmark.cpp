// Benchmarks of the table engine over generated tables of 100 000 and 1 000 000 records:
// opening (the deletion-flag scan), reading every record, and updating one record.
#include "bench/TableGenerator.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "engine/Value.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// One generated table per size, in a folder removed at exit.
class Tables {
public:
    ~Tables() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    const fs::path& folder() { return m_folder; }
    std::string table(std::uint32_t records) {
        std::string name = "bench" + std::to_string(records) + ".dbf";
        if (!fs::exists(m_folder / name)) {
            bench::generateTable((m_folder / name).string(), records, 1000);
        }
        return name;
    }

private:
    fs::path m_folder = [] {
        fs::path folder =
            fs::temp_directory_path() / ("quillon-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        return folder;
    }();
};

Tables& tables() {
    static Tables instance;
    return instance;
}

void openInto(engine::DataControl& control, std::uint32_t records, int type) {
    control.SetConnect("dBASE IV;");
    control.SetDatabaseName(tables().folder().string());
    control.SetRecordSource(tables().table(records));
    control.SetRecordsetType(type);
    control.SetReadOnly(type == engine::DataControl::kSnapshot);
    control.Refresh();
}

void BM_OpenTable(benchmark::State& state) {
    auto records = static_cast<std::uint32_t>(state.range(0));
    tables().table(records);
    for (auto _ : state) {
        engine::DataControl control;
        openInto(control, records, engine::DataControl::kSnapshot);
        benchmark::DoNotOptimize(control.GetRecordset()->RecordCount());
    }
}

void BM_ReadAllRecords(benchmark::State& state) {
    auto records = static_cast<std::uint32_t>(state.range(0));
    engine::DataControl control;
    openInto(control, records, engine::DataControl::kSnapshot);
    const engine::Recordset& recordset = *control.GetRecordset();
    std::vector<engine::Value> row;
    for (auto _ : state) {
        for (long p = 0, n = recordset.RecordCount(); p < n; ++p) {
            recordset.readRowInto(p, row);
            benchmark::DoNotOptimize(row.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * recordset.RecordCount());
}

void BM_UpdateOneRecord(benchmark::State& state) {
    auto records = static_cast<std::uint32_t>(state.range(0));
    engine::DataControl control;
    openInto(control, records, engine::DataControl::kDynaset);
    engine::Recordset& recordset = *control.GetRecordset();
    recordset.SetAbsolutePosition(recordset.RecordCount() / 2);
    long i = 0;
    for (auto _ : state) {
        recordset.Edit();
        recordset.Fields().Item("AMOUNT").SetValue(engine::Value::text(std::to_string(++i % 1000)));
        recordset.Update();
    }
}

}  // namespace

BENCHMARK(BM_OpenTable)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllRecords)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateOneRecord)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
