#!/usr/bin/env bash
# Installs, with Debian 12's package manager, whatever the build and the tests need and the
# machine lacks. Safe to run again: it installs nothing when everything is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    # The test command's formatting step lists the tracked files with git; CPack's Debian
    # generator runs `file` to find the programs whose libraries dpkg-shlibdeps reads.
    git file
    qt6-base-dev fonts-liberation
    libspng-dev nlohmann-json3-dev libgif-dev libwebp-dev zlib1g-dev
    clang-format
    libgtest-dev libgmock-dev googletest
    libbenchmark-dev
    clang libclang-rt-14-dev
    # The installed application: icon bitmaps, the checks of the desktop entry, the metainfo,
    # the file type and the man pages, and the Debian package's dependencies.
    librsvg2-bin desktop-file-utils appstream libxml2-utils shared-mime-info libglib2.0-bin
    groff-base dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
