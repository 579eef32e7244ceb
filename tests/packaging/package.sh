#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary root and checks
# what a technician's machine would get: the files, the metadata, the dependency line, and
# that the installed programs run from where they land.
# Usage: package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
debs=("$work"/out/mx7500_1.00_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single mx7500_1.00 package" >&2; exit 1; }
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = mx7500 ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = 1.00 ] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
# The platform plugins by hand; Qt's libraries and the C++ runtime computed from the binaries.
for needed in qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6-psql fonts-dejavu-core libqt6widgets6 libqt6serialport6 libstdc++6; do
    [[ ",$depends," == *[\ ,]"$needed"[\ ,\(]* ]] || fail "Depends lacks $needed: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "no description paragraph"

root=$work/root
dpkg -x "$deb" "$root"
app=com.norvale.mx7500
for file in usr/bin/MX7500 usr/bin/mx7500-sim \
    "usr/share/applications/$app.desktop" "usr/share/metainfo/$app.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$app.svg" \
    "usr/share/icons/hicolor/48x48/apps/$app.png" \
    "usr/share/icons/hicolor/256x256/apps/$app.png" usr/share/mx7500/team-schema.sql; do
    [ -f "$root/$file" ] || fail "missing /$file"
done

desktop=$root/usr/share/applications/$app.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli validate"; }

# The menu entry starts a program the package puts on PATH, with an icon the package ships.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
program=${exec_line%% *}
case $program in
/*) [ -x "$root$program" ] || fail "Exec=$program is not in the package" ;;
*) [ -x "$root/usr/bin/$program" ] || fail "Exec=$program is not in /usr/bin of the package" ;;
esac
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "Icon=$icon has no scalable icon in the package"

# The installed programs, without a display.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/MX7500" --version \
    >"$work/version" || fail "MX7500 --version exited $?"
[ "$(cat "$work/version")" = "MX7500 1.00" ] || fail "MX7500 --version printed '$(cat "$work/version")'"
"$root/usr/bin/mx7500-sim" --help >"$work/simhelp" || fail "mx7500-sim --help exited $?"
grep -q -- "--reading TEXT" "$work/simhelp" || fail "mx7500-sim --help does not explain its options"

# --simulate finds the simulator installed beside the program: it keeps running until stopped,
# while a copy without the simulator beside it gives up at once.
status=0
timeout 3 env QT_QPA_PLATFORM=offscreen "$root/usr/bin/MX7500" --simulate \
    >/dev/null 2>"$work/simulate.err" || status=$?
[ $status -eq 124 ] || { cat "$work/simulate.err" >&2; fail "installed MX7500 --simulate ended with $status"; }
mkdir "$work/alone" && cp "$root/usr/bin/MX7500" "$work/alone/"
status=0
timeout 10 env QT_QPA_PLATFORM=offscreen "$work/alone/MX7500" --simulate \
    >/dev/null 2>"$work/alone.err" || status=$?
[ $status -eq 1 ] && grep -q "mx7500-sim is missing" "$work/alone.err" ||
    fail "MX7500 --simulate without the simulator ended with $status: $(cat "$work/alone.err")"

echo "Depends: $depends"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}'
[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "package checks passed"
