#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: first a build
# with AddressSanitizer and UndefinedBehaviorSanitizer (clang, with the fuzz
# targets, which run briefly), then the normal build with the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
# The time each step took, printed at the end (the README's test section).
steps=()
step() { steps+=("$(printf '%-44s %4d s' "$1" "$SECONDS")"); SECONDS=0; }
SECONDS=0

bash scripts/install-deps.sh
step "dependencies"

echo "== Sanitizer build (ASan + UBSan, clang, fuzz targets)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNESMO_SANITIZE=ON -DNESMO_FUZZ=ON -DNESMO_BENCH=OFF
step "sanitizer build: configure"
cmake --build build-asan -j"$jobs"
step "sanitizer build: compile and link"
(cd build-asan && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$jobs" --timeout 600)
step "sanitizer build: tests"

echo "== Build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
step "build: configure"
cmake --build build -j"$jobs"
step "build: compile and link"
(cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 600)
step "build: tests"

echo "== Package"
# The Debian package from the same build: staged and started, built, checked, and
# (as root, as in CI) installed with apt-get, run and removed again.
if [ "$(id -u)" -eq 0 ]; then
  bash scripts/package-check.sh --install build
else
  bash scripts/package-check.sh build
fi
step "package"

echo "== Time taken"
printf '%s\n' "${steps[@]}"
