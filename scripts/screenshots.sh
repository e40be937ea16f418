#!/usr/bin/env bash
# Draws the manual's pictures of the window and the player from the sample sprites, headless.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build; writes docs/images/*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target dabro-screenshots dabro-cli >&2
mkdir -p "$root/docs/images"
# The window's labels are laid out for Liberation Sans (scripts/setup.sh installs it).
fc-list | grep -q "Liberation Sans" || echo "Liberation Sans missing: the pictures use another font" >&2
shots="$build/tests/dabro-screenshots"
images="$root/docs/images"
export QT_QPA_PLATFORM=offscreen
"$shots" "$root/samples/sample.spr" "$images/window.png" "$images/player.png"
# The walk cycle in the player as shipped, and stood on the line y = 40.
placed=$(mktemp --suffix=.spr)
trap 'rm -f "$placed"' EXIT
"$build/cli/dabro-cli" place "$root/samples/walk.spr" -s all --anchor bottom --at ,40 \
    -o "$placed" >/dev/null
"$shots" --walk "$root/samples/walk.spr" "$images/player-walk-before.png"
"$shots" --walk "$placed" "$images/player-walk-placed.png"
echo "wrote docs/images/window.png, player.png, player-walk-before.png and player-walk-placed.png"
