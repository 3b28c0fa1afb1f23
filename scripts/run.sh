#!/usr/bin/env bash
# Builds Vexa and runs it against the simulated meter.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target zv301-sim vexa-cli

mkdir -p demo-run
export VEXA_HOME="$PWD/demo-run"
build/sim/zv301-sim --tcp-port 10001 --state demo-run/sim-state.json >demo-run/sim.log &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do grep -q '^listening tcp' demo-run/sim.log 2>/dev/null && break; sleep 0.1; done

cli=build/cli/vexa-cli
conn="Симулятор=XPort[1](127.0.0.1,10001)"
echo "Connection: $conn"
echo -n "Meter type code:  "; $cli -c "$conn" type
echo -n "Software version: "; $cli -c "$conn" version
echo -n "Serial number:    "; $cli -c "$conn" read 18
echo
echo "The simulated meter keeps running on 127.0.0.1:10001; try for example:"
echo "  $cli -c \"$conn\" --stats read 32"
echo "Press Ctrl+C to stop it."
wait $sim
