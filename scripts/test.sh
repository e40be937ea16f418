#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test suite: the normal build with
# warnings as errors, the Debian package made from it and checked, the same suite under
# AddressSanitizer and UBSan, and (when clang is there) a short fuzzing campaign.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
# The tracked C++ files; a source tree without .git (a tarball) checks every C++ file in it.
cpp_files() {
    if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$root" ls-files -z -- '*.cpp' '*.h'
    else
        (cd "$root" && find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
    fi
}
(cd "$root" && cpp_files | xargs -0 clang-format --dry-run -Werror)

echo "== normal build"
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDABRO_WERROR=ON
cmake --build "$root/build-test" -j "$jobs"
ctest --test-dir "$root/build-test" --output-on-failure -j "$jobs"

echo "== Debian package (from the normal build)"
bash "$root/scripts/package.sh" "$root/build-test"

if [ "${DABRO_QUICK:-0}" = 1 ]; then exit 0; fi

echo "== sanitizer build (ASan + UBSan)"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDABRO_WERROR=ON -DDABRO_SANITIZE=ON
cmake --build "$root/build-asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

if [ -x "$root/fuzz/run-campaign.sh" ]; then
    echo "== short fuzzing campaign"
    "$root/fuzz/run-campaign.sh" "${DABRO_FUZZ_SECONDS:-30}"
fi
