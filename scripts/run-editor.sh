#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor in samples/ so File > Open shows
# the sample sprite at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDABRO_BUILD_TESTS=OFF
cmake --build "$root/build"
cd "$root/samples"
if [ -x "$root/build/app/dabro" ]; then
    exec "$root/build/app/dabro"
fi
exec "$root/build/cli/dabro-cli" --help
