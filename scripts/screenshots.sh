#!/usr/bin/env bash
# Makes the metainfo's screenshots afresh from the tests' offscreen pictures of
# the pages (a built tree in BUILD_DIR, default build) and puts them into
# dist/screenshots/.
#
#   bash scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
for t in test_logged_data test_config; do
  NESMO_SHOTS="$shots" QT_QPA_PLATFORM=offscreen "$build/tests/$t" > /dev/null
done
cp "$shots/graph-alarm-readout-900x700.png" dist/screenshots/data-graph.png
cp "$shots/data-text-900x700.png" dist/screenshots/data-text.png
cp "$shots/config-900x700.png" dist/screenshots/configuration.png
cp "$shots/exposure-summary.png" dist/screenshots/exposure-summary.png
ls -l dist/screenshots
