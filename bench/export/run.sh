#!/usr/bin/env bash
# The export benchmark: a 65,000-record, 20-field dBASE table (every field type) exported to .xls
# by `quillon-cli export`, side by side with Gnumeric's ssconvert on the same table. Prints the
# elapsed time and the peak memory of each, best of three runs.
#
# usage: bench/export/run.sh [path/to/quillon-cli]   (default: the release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
cli=${1:-build/release/bin/quillon-cli}
records=${RECORDS:-65000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 bench/export/make_table.py "$work/t.dbf" "$records"
echo "table: $records records, 20 fields, $(du -h "$work/t.dbf" | cut -f1) + memo $(du -h "$work/t.dbt" | cut -f1)"

# Runs a command three times; prints the best elapsed and CPU (user + system) seconds, the
# largest peak RSS in MiB and the size of the workbook. On a shared machine the CPU time is the
# steadier figure.
measure() {
    local label=$1
    shift
    local best="" bestCpu="" peak=0
    for _ in 1 2 3; do
        rm -f "$work/out.xls"
        /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
            { cat "$work/stderr" >&2; exit 1; }
        read -r seconds user system kib <"$work/time"
        cpu=$(awk "BEGIN{print $user + $system}")
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
        if [ -z "$bestCpu" ] || awk "BEGIN{exit !($cpu < $bestCpu)}"; then bestCpu=$cpu; fi
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    printf '%-12s %6.2f s elapsed  %6.2f s CPU  %6.1f MiB  %s\n' "$label" "$best" "$bestCpu" \
        "$(awk "BEGIN{print $peak/1024}")" "$(du -h "$work/out.xls" | cut -f1)"
}

measure quillon-cli "$cli" export "$work/t.dbf" "$work/out.xls"
if command -v ssconvert >/dev/null; then
    measure ssconvert ssconvert "$work/t.dbf" "$work/out.xls"
else
    echo "ssconvert not installed (Debian package gnumeric); no comparison"
fi
