#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what the desktop needs from it: the two
# programs (the command-line one run from there), a valid desktop entry that opens dBASE tables,
# a file-type package the MIME database accepts (by extension and by first bytes), and the icon.
#   InstallTreeTest.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in quillon quillon-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
"$prefix/bin/quillon-cli" info "$source/samples/clients.dbf" | grep -q "Records" ||
    fail "the installed quillon-cli does not read a table"

entry="$prefix/share/applications/quillon.desktop"
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
grep -qx 'Exec=quillon %f' "$entry" || fail "the entry does not open a file"
grep -q '^MimeType=.*application/x-dbf;' "$entry" || fail "the entry names no dBASE type"

mime="$prefix/share/mime"
[ -f "$mime/packages/quillon.xml" ] || fail "no file-type package"
update-mime-database "$mime" || fail "the MIME database refuses the package"
grep -q '^application/x-dbf:\*\.dbf$' "$mime/globs" || fail "*.dbf is not recognised"
grep -aq 'application/x-dbf' "$mime/magic" || fail "the first bytes are not recognised"

icons="$prefix/share/icons/hicolor"
[ -f "$icons/scalable/apps/quillon.svg" ] || fail "no SVG icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/quillon.png"
    [ -f "$png" ] || fail "no ${size}-pixel icon"
    # The PNG's own width and height (bytes 16-23 of the file).
    read -r width height < <(/usr/bin/python3 -c \
        'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$png")
    [ "$width $height" = "$size $size" ] || fail "the ${size}-pixel icon is ${width}x${height}"
done
echo "install tree: ok"
