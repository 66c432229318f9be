#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated Nesmo-7 on a
# pseudo-terminal and starts Nesmo Port connected to it (as COM1). Pass "net" to
# talk to the simulator over TCP instead. The demo keeps its own settings file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target NesmoComm nesmo7-sim

demo="${XDG_RUNTIME_DIR:-/tmp}/nesmo-demo"
mkdir -p "$demo"
tty="$demo/ttyNESMO7"
ini="$demo/NesmoComm.INI"

if [ "${1:-}" = "net" ]; then
  port=${NESMO_DEMO_PORT:-1000}
  "$root/build/src/sim/nesmo7-sim" --tcp "$port" > "$demo/sim.log" 2>&1 &
else
  "$root/build/src/sim/nesmo7-sim" --pty "$tty" > "$demo/sim.log" 2>&1 &
fi
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q '^ready' "$demo/sim.log" && break; sleep 0.1; done

if [ ! -f "$ini" ]; then
  printf '[Setup]\nComPort=1\n\n[Ports]\nCOM1=%s\n' "$tty" > "$ini"
fi
cd "$demo"
NESMOCOMM_INI="$ini" "$root/build/src/NesmoComm" "$@"
