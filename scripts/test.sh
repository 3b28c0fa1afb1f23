#!/usr/bin/env bash
# Builds Vexa and runs every test: the normal build, then the library, the
# simulator and their tests again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

jobs=$(nproc)

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== build"
build_and_test build
echo "== sanitizer build (address, undefined)"
build_and_test build-asan -DVEXA_SANITIZE=ON -DVEXA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug
