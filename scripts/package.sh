#!/usr/bin/env bash
# Builds the Debian package dabro_<version>_<arch>.deb into the top of the repository with
# CPack's DEB generator, its dependencies found by dpkg-shlibdeps, and checks what it holds.
# Usage: scripts/package.sh [BUILD_DIR]
#   BUILD_DIR: an existing build to package (CI passes its test build); by default build-package,
#   configured here as a Release build without the tests.
# Then, as root: apt install ./dabro_<version>_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=$(realpath -m "${1:-$root/build-package}")
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDABRO_BUILD_TESTS=OFF
fi
cmake --build "$build" -j "$(nproc)"

out=$build/package
rm -rf "$out"
# CPack's own messages, errors included, go to the log, shown whole when it fails.
(cd "$build" && cpack -G DEB -B "$out" > "$out.log" 2>&1) || { cat "$out.log" >&2; exit 1; }
debs=("$out"/dabro_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one dabro_*.deb in $out" >&2; exit 1; }
deb=$root/$(basename "${debs[0]}")
mv "${debs[0]}" "$deb"

# What is in it: the fields, the files in place, and the same checks as an installed tree.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = dabro ] || { echo "package name is $(field Package)" >&2; exit 1; }
[ "$(field Version)" = "$version" ] || { echo "package version is $(field Version)" >&2; exit 1; }
[ "$(basename "$deb")" = "dabro_${version}_$(field Architecture).deb" ] ||
    { echo "unexpected file name $(basename "$deb")" >&2; exit 1; }
for dep in libc6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation; do
    field Depends | grep -q "\\b$dep\\b" || { echo "Depends lacks $dep: $(field Depends)" >&2; exit 1; }
done
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
bash "$root/scripts/check-install-tree.sh" "$unpacked" /usr "$version"
echo "Built $deb"
echo "Depends: $(field Depends)"
