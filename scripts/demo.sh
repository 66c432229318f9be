#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated Nesmo-7 on a
# pseudo-terminal and starts Nesmo Port connected to it (as COM1). Pass "net" to
# talk to the simulator over TCP instead: it takes a free port (1024 or above,
# as any user may), which the demo's settings file hands to the program. The
# demo keeps its own settings file. Root is needed only to install packages.
#
#   NESMO_DEMO_PORT=<n>      the simulator's TCP port instead of a free one
#   NESMO_DEMO_BUILD=<dir>   the build folder (default: build)
#   NESMO_DEMO_NO_BUILD=1    start what is built there, without building
#   NESMO_DEMO_SIM_ARGS=...  more options for the simulator (see nesmo7-sim --help)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${NESMO_DEMO_BUILD:-build}
case $build in /*) ;; *) build="$root/$build" ;; esac

bash scripts/install-deps.sh
if [ "${NESMO_DEMO_NO_BUILD:-}" != 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j"$(nproc)" --target NesmoComm nesmo7-sim
fi

demo="${XDG_RUNTIME_DIR:-/tmp}/nesmo-demo-$(id -u)"
mkdir -p "$demo"
tty="$demo/ttyNESMO7"
ini="$demo/NesmoComm.INI"
log="$demo/sim.log"
# shellcheck disable=SC2206  # the extra options are words on purpose
extra=(${NESMO_DEMO_SIM_ARGS:-})

if [ "${1:-}" = "net" ]; then
  "$build/src/sim/nesmo7-sim" --tcp "${NESMO_DEMO_PORT:-0}" "${extra[@]}" > "$log" 2>&1 &
else
  "$build/src/sim/nesmo7-sim" --pty "$tty" "${extra[@]}" > "$log" 2>&1 &
fi
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
ready=
for _ in $(seq 100); do
  ready=$(grep -m1 '^ready' "$log" || true)
  [ -n "$ready" ] && break
  kill -0 $sim 2>/dev/null || break
  sleep 0.1
done
if [ -z "$ready" ]; then
  echo "demo: the simulator did not start:" >&2
  cat "$log" >&2
  exit 1
fi

if [ ! -f "$ini" ]; then
  printf '[Setup]\nComPort=1\n\n[Ports]\nCOM1=%s\n' "$tty" > "$ini"
fi
if [ "${1:-}" = "net" ]; then
  # "ready tcp <port>": the port the simulator took, for the program's Main page.
  port=${ready##* }
  sed -i '/^\[Network\]/,/^$/d' "$ini"
  printf '\n[Network]\nAddress=127.0.0.1\nPort=%s\n' "$port" >> "$ini"
  echo "demo: simulator on 127.0.0.1:$port"
fi
cd "$demo"
NESMOCOMM_INI="$ini" "$build/src/NesmoComm" "$@"
