#!/usr/bin/env bash
# Times the table engine on generated tables of 100 000 and 1 000 000 records (ten fields):
# `quillon-cli info` (open), `quillon-cli dump` (read every record), their maximum resident
# memory, `ogr2ogr -f CSV` on the same table for comparison when gdal-bin is installed, the same
# two commands on a 1 000 000-record Visual FoxPro table (T, Y, I, B, V, nullable fields), and the
# Google Benchmark suite (open, read all, update one record); then the export (bench/export/run.sh:
# .xls beside ssconvert, .xlsx of 1 000 000 records beside `ogr2ogr -f XLSX`, and CSV), the main
# window over a 1 000 000-record table (bench/BrowseBench.cpp), and the grid's sort, filter and find
# over it (bench/SortBench.cpp).
# `make bench` runs it after the release build. Times are the best of several warm runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/release/bin
cmake --build --preset release --target quillon-cli quillon-gen-table engine_benchmark >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

best_of() {  # best_of RUNS COMMAND...: prints the best wall time (s) and its max RSS (KB)
    local runs=$1
    shift
    local best="" rss=""
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
        read -r seconds kilobytes <"$work/time"
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then
            best=$seconds
            rss=$kilobytes
        fi
    done
    echo "$best $rss"
}

printf '%-34s %10s %12s\n' "command" "seconds" "max RSS KB"
for records in 100000 1000000; do
    table="$work/table$records.dbf"
    "$bin/quillon-gen-table" "$table" "$records" 1000
    cat "$table" >/dev/null  # warm the page cache
    read -r s m < <(best_of 5 "$bin/quillon-cli" info "$table")
    printf '%-34s %10s %12s\n' "info, $records records" "$s" "$m"
    read -r s m < <(best_of 5 "$bin/quillon-cli" dump "$table")
    printf '%-34s %10s %12s\n' "dump, $records records" "$s" "$m"
    if command -v ogr2ogr >/dev/null; then
        read -r s m < <(best_of 3 sh -c "rm -f '$work/out.csv'; ogr2ogr -f CSV '$work/out.csv' '$table'")
        printf '%-34s %10s %12s\n' "ogr2ogr -f CSV, $records records" "$s" "$m"
    fi
done
# A Visual FoxPro table of the same size: integers, currency, doubles, date-times, varchar and
# nullable fields.
table="$work/vfp1000000.dbf"
"$bin/quillon-gen-table" --vfp "$table" 1000000
cat "$table" >/dev/null
read -r s m < <(best_of 5 "$bin/quillon-cli" info "$table")
printf '%-34s %10s %12s\n' "info, Visual FoxPro 1000000" "$s" "$m"
read -r s m < <(best_of 5 "$bin/quillon-cli" dump "$table")
printf '%-34s %10s %12s\n' "dump, Visual FoxPro 1000000" "$s" "$m"
echo
"$bin/engine_benchmark" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo
echo "the export (bench/export/run.sh):"
bench/export/run.sh "$bin/quillon-cli"
echo
echo "the main window over a 1,000,000-record table (bench/BrowseBench.cpp):"
cmake --build --preset release --target browse_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$bin/browse_bench" 1000000 2>/dev/null
echo
echo "the grid's sort, filter and find over a 1,000,000-record table (bench/SortBench.cpp):"
cmake --build --preset release --target sort_bench >/dev/null
"$bin/sort_bench" 1000000
