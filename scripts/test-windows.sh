#!/usr/bin/env bash
# Cross-builds the core (with gumbo from Debian's sources), its tests and tarnwick-convert.exe
# for Windows into build-win/ (or $TARNWICK_WIN_BUILD_DIR) and runs the tests under Wine in a
# fresh prefix made once per run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_WIN_BUILD_DIR:-$root/build-win}"
# gumbo for Windows from Debian's source package, fetched once and kept in the build folder.
bash "$root/scripts/fetch-gumbo-source.sh" "$build/gumbo-source"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTARNWICK_GUMBO_SOURCE="$build/gumbo-source"
cmake --build "$build" --parallel "$(nproc)"

# Console programs only: no display, no Mono or Gecko downloads, no debug chatter.
export WINEPREFIX="$(mktemp -d)"
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
start=$SECONDS
wineboot -i >/dev/null 2>&1
wineserver -w
echo "Wine prefix ready in $((SECONDS - start)) s"
cd "$build"
ctest --output-on-failure --timeout 300 --parallel 2
echo "Windows suite under Wine took $((SECONDS - start)) s"
