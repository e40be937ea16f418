#!/usr/bin/env bash
# The sprite file type's magic, compiled by update-mime-database and applied by GIO as a file
# manager does, against the loader's own verdict, for every file in the test data and the
# samples and for near misses of the signature. Files are copied without their extension so
# that only the content decides. The loader's verdict: a file is a sprite unless dabro-cli
# dump fails with "This is not a .spr file", or the file is too short to hold the signature.
# Usage: mime_magic_test.sh SOURCE_DIR DABRO_CLI
set -euo pipefail
source=$1 cli=$2
for tool in update-mime-database gio; do
    command -v "$tool" > /dev/null || { echo "$tool missing: skipped"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/mime/packages" "$work/files"
cp "$source/data/dabro-sprite.xml" "$work/data/mime/packages/dabro.xml"
update-mime-database "$work/data/mime" 2> /dev/null

n=0
add() { n=$((n + 1)); cp "$1" "$work/files/$n-$(basename "$1" | tr . _)"; }
while IFS= read -r -d '' f; do add "$f"; done < <(find "$source/tests/data" "$source/samples" -type f -print0)
sample=$source/samples/sample.spr
for len in 0 1 8 9 10 11 12; do head -c "$len" "$sample" > "$work/cut$len"; add "$work/cut$len"; done
for i in $(seq 0 10); do  # each signature byte changed in turn
    { head -c "$i" "$sample"; printf '\177'; tail -c +"$((i + 2))" "$sample"; } > "$work/flip$i"
    add "$work/flip$i"
done
{ printf ' '; cat "$sample"; } > "$work/shifted"; add "$work/shifted"

failures=0 sprites=0
for f in "$work"/files/*; do
    type=$(XDG_DATA_HOME=$work/data gio info -a standard::content-type "$f" |
        sed -n 's/^ *standard::content-type: //p')
    verdict=$("$cli" dump "$f" 2>&1 > /dev/null | tail -n 1 || true)
    if [ "$verdict" = "This is not a .spr file." ] || [ "$(stat -c %s "$f")" -lt 11 ]; then
        expected=other
    else
        expected=sprite
    fi
    if [ "$type" = application/x-dabro-sprite ]; then got=sprite; else got=other; fi
    [ "$expected" = sprite ] && sprites=$((sprites + 1))
    if [ "$got" != "$expected" ]; then
        echo "FAIL: $(basename "$f"): type $type, loader: ${verdict:-loads}" >&2
        failures=$((failures + 1))
    fi
done
[ "$sprites" -ge 2 ] || { echo "FAIL: only $sprites sprites among the files" >&2; exit 1; }
echo "$n files, $sprites sprites by the loader, $failures disagreements"
[ "$failures" -eq 0 ]
