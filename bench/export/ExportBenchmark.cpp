// Benchmarks of the export's two halves apart from the engine, on a sheet shaped like the
// benchmark table of run.sh (65,000 records of 20 fields: text, numbers, dates, booleans):
// filling the sheet through ExcelVb::SetCell, one call per cell as the export makes them, and
// writing the filled workbook to a file. Run: build/release/bin/export_benchmark
#include "export/ExcelVb.h"
#include "spreadsheet/Variant.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFields = 20;

// A field-like object: its current value is the next of a fixed list, so one object serves every
// record as a record set's field does.
class Column : public spreadsheet::VariantObject {
public:
    explicit Column(std::vector<spreadsheet::Variant> values) : m_values(std::move(values)) {}
    spreadsheet::Variant defaultValue() const override {
        return m_values[m_next++ % m_values.size()];
    }
    const spreadsheet::Variant& currentValue() const override {
        return m_values[m_next++ % m_values.size()];
    }

private:
    std::vector<spreadsheet::Variant> m_values;
    mutable std::size_t m_next = 0;
};

// Twenty columns: six of text (mostly distinct, one of few values), eight of numbers, two of
// booleans, two of dates, two of long text with gaps.
std::vector<spreadsheet::Variant> columns() {
    std::vector<spreadsheet::Variant> result;
    for (int k = 0; k < kFields; ++k) {
        std::vector<spreadsheet::Variant> values;
        for (int i = 0; i < 997; ++i) {
            if (k < 6) {
                values.push_back(spreadsheet::Variant::text(
                    k == 5 ? std::string("tag") + std::to_string(i % 18)
                           : "text " + std::to_string(k) + " " + std::to_string(i * 7919) +
                                 std::string(static_cast<std::size_t>(k * 8), 'x')));
            } else if (k < 14) {
                values.push_back(spreadsheet::Variant::number(i * 12.25 - k));
            } else if (k < 16) {
                values.push_back(spreadsheet::Variant::boolean(i % 3 == 0));
            } else if (k < 18) {
                values.push_back(
                    spreadsheet::Variant::date({1950 + i % 70, 1 + i % 12, 1 + i % 28, 0}));
            } else {
                values.push_back(i % 10 == 0 ? spreadsheet::Variant::text(std::string(250, 'm'))
                                             : spreadsheet::Variant::null());
            }
        }
        result.push_back(spreadsheet::Variant::object(std::make_shared<Column>(std::move(values))));
    }
    return result;
}

void fill(tableexport::ExcelVb& excel, const std::vector<spreadsheet::Variant>& values,
          int records) {
    std::string reference;
    for (int row = 3; row < records + 3; ++row) {
        const std::string digits = std::to_string(row);
        for (int k = 0; k < kFields; ++k) {
            reference.assign(1, static_cast<char>('A' + k)).append(digits);
            excel.SetCell(values[static_cast<std::size_t>(k)], reference);
        }
    }
}

void BM_FillSheet(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    std::vector<spreadsheet::Variant> values = columns();
    for (auto _ : state) {
        tableexport::ExcelVb excel;
        excel.Crear();
        excel.NewBook();
        fill(excel, values, records);
        benchmark::DoNotOptimize(excel.application());
    }
    state.SetItemsProcessed(state.iterations() * records * kFields);
}

void BM_WriteWorkbook(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    tableexport::ExcelVb excel;
    excel.Crear();
    excel.NewBook();
    fill(excel, columns(), records);
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("quillon-bench-" + std::to_string(::getpid()) + ".xls");
    for (auto _ : state) {
        excel.SaveAsBook(path.string());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

BENCHMARK(BM_FillSheet)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteWorkbook)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
