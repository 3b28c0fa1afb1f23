#!/usr/bin/env bash
# Builds and runs the benchmarks; they print their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target bench_exchange zv301-sim
build/bench/bench_exchange
