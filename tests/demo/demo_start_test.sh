#!/usr/bin/env bash
# The README's first command as a user who is not root, with the packages in
# place: both demo variants start the simulator and the program, and the
# program reaches it (the simulator logs the bytes it receives); the network
# one on a port of 1024 or above that the program takes from the demo's
# settings. A simulator that cannot start stops the demo with its own message,
# and the program is not started.
#
#   demo_start_test.sh <build folder>
set -euo pipefail
source_build=$(cd "$1" && pwd)
source_root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
chmod 755 "$work"
# The demo and what it starts, staged where another user may read them (the
# checkout itself may lie in a private folder).
root="$work/repo"
build="$work/build"
mkdir -p "$root/scripts" "$build/src/sim"
cp "$source_root/scripts/demo.sh" "$source_root/scripts/install-deps.sh" "$root/scripts/"
cp "$source_build/src/NesmoComm" "$build/src/"
cp "$source_build/src/sim/nesmo7-sim" "$build/src/sim/"
chmod -R a+rX "$root" "$build"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # Root runs it as nobody: the demo must not need root once all is installed.
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown nobody "$work"
fi
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -- "-$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "demo_start_test: $*" >&2
  for f in "$work"/*.out; do echo "== $f" >&2; cat "$f" >&2; done
  exit 1
}

# Starts the demo in a session of its own; prints its process group.
start_demo() {
  local variant=$1
  env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
    NESMO_DEMO_BUILD="$build" NESMO_DEMO_NO_BUILD=1 ${2:+NESMO_DEMO_PORT=$2} \
    NESMO_DEMO_SIM_ARGS="--log $work/received-$variant" \
    "${as_user[@]}" setsid bash "$root/scripts/demo.sh" $variant \
    > "$work/demo-$variant.out" 2>&1 &
  echo $!
}

for variant in pty net; do
  pid=$(start_demo $variant)
  pids+=("$pid")
  for _ in $(seq 300); do
    [ -s "$work/received-$variant" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the $variant demo ended before the program talked"
    sleep 0.1
  done
  [ -s "$work/received-$variant" ] || fail "the program never reached the $variant simulator"
  kill -- "-$pid"
  echo "demo $variant: the program talks to the simulator"
done

ini=$(echo "$work"/nesmo-demo-*/NesmoComm.INI)
port=$(sed -n '/^\[Network\]/,/^$/s/^Port=//p' "$ini")
[ "${port:-0}" -ge 1024 ] || fail "the network port in $ini is '${port:-}'"
grep -q "simulator on 127.0.0.1:$port" "$work/demo-net.out" || fail "no port shown"
echo "demo net: port $port"

# A port only root may take: the demo stops with the simulator's message.
rm -f "$work"/received-*
if env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
  NESMO_DEMO_BUILD="$build" NESMO_DEMO_NO_BUILD=1 NESMO_DEMO_PORT=80 \
  "${as_user[@]}" bash "$root/scripts/demo.sh" net > "$work/demo-refused.out" 2>&1; then
  fail "the demo went on without its simulator"
fi
grep -q "the simulator did not start" "$work/demo-refused.out" || fail "no demo message"
grep -q "cannot listen on" "$work/demo-refused.out" || fail "not the simulator's message"
echo "demo net on port 80: stopped with the simulator's message"
