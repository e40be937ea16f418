#!/usr/bin/env bash
# Draws the README's pictures of the window and the player from samples/sample.spr, headless.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build; writes docs/images/*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target dabro-screenshots >&2
mkdir -p "$root/docs/images"
# The window's labels are laid out for Liberation Sans (scripts/setup.sh installs it).
fc-list | grep -q "Liberation Sans" || echo "Liberation Sans missing: the pictures use another font" >&2
QT_QPA_PLATFORM=offscreen "$build/tests/dabro-screenshots" "$root/samples/sample.spr" \
    "$root/docs/images/window.png" "$root/docs/images/player.png"
echo "wrote docs/images/window.png and docs/images/player.png"
