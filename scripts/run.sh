#!/usr/bin/env bash
# Builds Vexa and runs it against the simulated meter: zv301-sim listens on
# TCP port 10001 and on a pty that Vexa knows as COM9, and Vexa starts in the
# run folder demo-run/ with the two connections of demo/. Without a display
# a short batch macro reads the configuration and saves it instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-deps.sh
build="${VEXA_BUILD_DIR:-build}"   # another build folder may be named here
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j"$(nproc)" --target vexa zv301-sim vexa-cli
build=$(cd "$build" && pwd)

run="$root/demo-run"
pty="$run/meter-pty"
com=9
mkdir -p "$run"
# Connections and macros the user changed in an earlier run stay.
for f in demo/*; do
  [ -e "$run/$(basename "$f")" ] || cp "$f" "$run/"
done
# So does vexa.cfg (window position, chosen connection) while it maps COM9
# to this folder's pty; otherwise it starts over with just that mapping.
export VEXA_HOME="$run"
if ! { tr -d '\r' <"$run/vexa.cfg"; } 2>/dev/null | grep -qxF "COM$com=$pty"; then
  printf '[ports]\r\nCOM%s=%s\r\n' "$com" "$pty" >"$run/vexa.cfg"
fi

# The meter keeps what was written to it in sim-state.json between runs.
"$build/sim/zv301-sim" --tcp-port 10001 --pty "$pty" --state "$run/sim-state.json" >"$run/sim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  if grep -q '^listening tcp' "$run/sim.log" && grep -q '^listening pty' "$run/sim.log"; then break; fi
  if ! kill -0 "$sim" 2>/dev/null; then break; fi
  sleep 0.1
done
if ! grep -q '^listening pty' "$run/sim.log" || ! grep -q '^listening tcp' "$run/sim.log"; then
  echo "zv301-sim did not start (is TCP port 10001 taken?):" >&2
  cat "$run/sim.log" >&2
  exit 1
fi

echo "Simulated meter: TCP 127.0.0.1:10001 and COM$com ($pty)"
echo -n "Software version (vexa-cli over COM$com): "
"$build/cli/vexa-cli" -c "RS485[1]($com,9600)" version
echo "Run folder: $run (connection.cfg, vexa.cfg, macros, sim.log)"
echo

cd "$run"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<EOF
No display, so Vexa runs in batch mode: with QT_QPA_PLATFORM=offscreen,
"vexa FILE.vxm" runs the macro file from the folder it starts in (which also
holds connection.cfg), prints every message on stderr and exits with 0 when
the macro finished, 1 when it stopped with an error. For example:

  cd $run && QT_QPA_PLATFORM=offscreen $build/vexa config_to_file.vxm

Running config_to_file.vxm now:
EOF
  sed 's/^/  | /' config_to_file.vxm
  QT_QPA_PLATFORM=offscreen "$build/vexa" config_to_file.vxm
  echo
  echo "Configuration table saved to $run/CFG_demo.txt:"
  iconv -f cp1251 -t utf-8 CFG_demo.txt 2>/dev/null || cat CFG_demo.txt
else
  echo "Starting Vexa. On the Конфигурация tab press Чтение (Ctrl+R) to read the meter;"
  echo "the connection box switches between COM$com and TCP. Close the window to stop."
  "$build/vexa"
fi
