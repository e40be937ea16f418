#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under /usr, as the package does, and checks the tree.
# Usage: install_tree_test.sh BUILD_DIR SOURCE_DIR VERSION [all|cli]
set -euo pipefail
build=$1 source=$2 version=$3 parts=${4:-all}
destdir=$(mktemp -d)
trap 'rm -rf "$destdir"' EXIT
DESTDIR=$destdir cmake --install "$build" --prefix /usr > /dev/null
bash "$source/scripts/check-install-tree.sh" "$destdir" /usr "$version" "$parts"
