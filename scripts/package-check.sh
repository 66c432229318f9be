#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR and checks it: the desktop entry and the
# AppStream metainfo as installed, and the package's dependencies. With --install
# (as root) it also installs the package, runs the installed programs and removes
# the package again.
#
#   bash scripts/package-check.sh [--install] BUILD_DIR
#
# BUILD_DIR is a configured build folder, e.g.
#   cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DNESMO_TESTS=OFF -DNESMO_BENCH=OFF
set -euo pipefail

fail() {
  echo "package-check: FAILED: $*" >&2
  exit 1
}

install=0
build=
for arg in "$@"; do
  case "$arg" in
    --install) install=1 ;;
    -*) fail "unknown option $arg" ;;
    *) build=$arg ;;
  esac
done
[ -n "$build" ] || fail "usage: $0 [--install] BUILD_DIR"
[ -f "$build/CPackConfig.cmake" ] || fail "$build is no configured build folder (no CPackConfig.cmake)"
build=$(cd "$build" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
  command -v "$tool" > /dev/null || fail "$tool is missing (bash scripts/install-deps.sh)"
done

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
app_id=io.github.nesmoport.nesmoport

# Starts an installed NesmoComm offscreen with a settings file of its own; it
# reports once its main window is on the screen, then ends.
start_offscreen() {
  local program=$1 work out
  work=$(mktemp -d)
  out=$(cd "$work" && QT_QPA_PLATFORM=offscreen NESMOCOMM_INI="$work/NesmoComm.INI" \
        NESMOCOMM_STARTUP_PROBE=1 timeout 30 "$program" 2>&1) || true
  rm -rf "$work"
  grep -q '^startup-ms ' <<< "$out" || fail "$program did not start offscreen: $out"
  echo "$program started offscreen: $(grep '^startup-ms ' <<< "$out")"
}

echo "== Installing into a staging folder"
stage=$(mktemp -d)
DESTDIR="$stage" cmake --install "$build" --prefix /usr > /dev/null || fail "cmake --install"
start_offscreen "$stage/usr/bin/NesmoComm"
rm -rf "$stage"

echo "== Building the package (version $version)"
rm -f "$build"/nesmo-port_*.deb
(cd "$build" && cpack -G DEB) || fail "cpack -G DEB"
debs=("$build"/nesmo-port_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no nesmo-port_${version}_*.deb"
deb=${debs[0]}
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

echo "== Checking its files"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
for f in usr/bin/NesmoComm usr/bin/nesmo7-sim usr/bin/nesmo7-cli usr/share/man/man1/nesmo7-cli.1.gz \
         "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
         "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
         usr/share/man/man1/NesmoComm.1.gz usr/share/man/man1/nesmo7-sim.1.gz \
         usr/share/doc/nesmo-port/copyright; do
  [ -f "$tree/$f" ] || fail "the package lacks /$f"
done

desktop_out=$(desktop-file-validate "$tree/usr/share/applications/$app_id.desktop" 2>&1) ||
  fail "desktop-file-validate: $desktop_out"
if grep -E 'error:|warning:' <<< "$desktop_out"; then fail "desktop-file-validate complains"; fi
echo "desktop-file-validate: ok${desktop_out:+ ($desktop_out)}"
appstreamcli validate --pedantic --no-net "$tree/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "appstreamcli validate --pedantic"
# The metainfo, the desktop entry it launches and the icon, as one installed tree.
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
grep -q "<release version=\"$version\"" "$tree/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo has no release entry for $version"

echo "== Dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6network6; do
  grep -Eq "(^|, )$lib( |,|$)" <<< "$depends" || fail "Depends lacks $lib"
done

if [ "$install" -eq 1 ]; then
  [ "$(id -u)" -eq 0 ] || fail "--install needs root"
  echo "== Installing"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" ||
    fail "apt-get install $deb"
  result=0
  for program in NesmoComm nesmo7-sim nesmo7-cli; do
    out=$("/usr/bin/$program" --version 2>&1) || { echo "$program --version: $out" >&2; result=1; }
    echo "$program --version: $out"
    grep -q "$version" <<< "$out" || { echo "$program does not say $version" >&2; result=1; }
  done
  start_offscreen /usr/bin/NesmoComm
  if command -v man > /dev/null; then
    page=$(man -w NesmoComm 2>&1) || { echo "man -w NesmoComm: $page" >&2; result=1; }
    echo "man -w NesmoComm: $page"
  fi
  echo "== Removing"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y nesmo-port || fail "apt-get remove nesmo-port"
  [ "$result" -eq 0 ] || fail "the installed programs"
fi

echo "package-check: all passed ($deb)"
