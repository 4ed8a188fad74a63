#!/usr/bin/env bash
# The export benchmarks, each side by side with a peer on the same table when the peer is
# installed:
# - .xls: a 65,000-record, 20-field dBASE table (every field type) exported by
#   `quillon-cli export`, beside Gnumeric's ssconvert;
# - .xlsx: the engine benchmark's 1,000,000-record, 10-field table, beside GDAL's
#   `ogr2ogr -f XLSX`; and the same table as CSV.
# Prints the elapsed and CPU time and the peak memory of each, best of three runs (one for a
# peer that takes longer than ten seconds), and how many times as fast the export is.
# (build/*/bin/export_benchmark times the .xls export's model and writer apart from the engine.)
#
# usage: bench/export/run.sh [path/to/quillon-cli]   (default: the release build; the table
# generator quillon-gen-table is taken from the same folder)
set -euo pipefail
cd "$(dirname "$0")/../.."
cli=${1:-build/release/bin/quillon-cli}
generator=$(dirname "$cli")/quillon-gen-table
records=${RECORDS:-65000}
large=${LARGE_RECORDS:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure LABEL OUTPUT COMMAND...: runs the command up to three times; prints the best elapsed
# and CPU (user + system) seconds, the largest peak RSS in MiB and the size of OUTPUT. On a shared
# machine the CPU time is the steadier figure.
measure() {
    local label=$1 output=$2
    shift 2
    local best="" bestCpu="" peak=0 runs=0
    while [ "$runs" -lt 3 ]; do
        rm -f "$output"
        /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
            { cat "$work/stderr" >&2; exit 1; }
        read -r seconds user system kib <"$work/time"
        cpu=$(awk "BEGIN{print $user + $system}")
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
        if [ -z "$bestCpu" ] || awk "BEGIN{exit !($cpu < $bestCpu)}"; then bestCpu=$cpu; fi
        [ "$kib" -gt "$peak" ] && peak=$kib
        runs=$((runs + 1))
        awk "BEGIN{exit !($seconds > 10)}" && break
    done
    printf '%-22s %6.2f s elapsed  %6.2f s CPU  %7.1f MiB  %s\n' "$label" "$best" "$bestCpu" \
        "$(awk "BEGIN{print $peak/1024}")" "$(du -h "$output" | cut -f1)"
    lastElapsed=$best
    lastCpu=$bestCpu
}

# compare PEER: how many times as fast the export measured before the peer was.
compare() {
    awk "BEGIN{printf \"quillon-cli is %.1f times as fast as $1 elapsed, %.1f times in CPU time\\n\", \
        $lastElapsed / $ours, $lastCpu / $oursCpu}"
}

/usr/bin/python3 bench/export/make_table.py "$work/t.dbf" "$records"
echo "table: $records records, 20 fields, $(du -h "$work/t.dbf" | cut -f1) + memo $(du -h "$work/t.dbt" | cut -f1)"
measure "quillon-cli .xls" "$work/out.xls" "$cli" export "$work/t.dbf" "$work/out.xls"
ours=$lastElapsed
oursCpu=$lastCpu
if command -v ssconvert >/dev/null; then
    measure "ssconvert .xls" "$work/out.xls" ssconvert "$work/t.dbf" "$work/out.xls"
    compare ssconvert
else
    echo "ssconvert not installed (Debian package gnumeric); no comparison"
fi

echo
"$generator" "$work/large.dbf" "$large"
echo "table: $large records, 10 fields, $(du -h "$work/large.dbf" | cut -f1)"
measure "quillon-cli .xlsx" "$work/out.xlsx" "$cli" export "$work/large.dbf" "$work/out.xlsx"
ours=$lastElapsed
oursCpu=$lastCpu
if command -v ogr2ogr >/dev/null; then
    measure "ogr2ogr -f XLSX" "$work/out.xlsx" ogr2ogr -f XLSX "$work/out.xlsx" "$work/large.dbf"
    compare "ogr2ogr -f XLSX"
else
    echo "ogr2ogr not installed (Debian package gdal-bin); no comparison"
fi
measure "quillon-cli .csv" "$work/out.csv" "$cli" export "$work/large.dbf" "$work/out.csv"
