#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build, extracted (never installed
# into the system), its menu entry, icons and AppStream data validated, and the extracted program
# started on an empty home, where it must make its database and reach the transmitter simulator
# through the serial adapter stored in the user's configuration.
# usage: CheckPackage.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/lumetra_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb"
root=$work/root
dpkg-deb -x "$deb" "$root"

for program in lumetra lumetra-initdb lumetra-txsim; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program"
  gzip -t "$root/usr/share/man/man1/$program.1.gz" || fail "manual page of $program"
done
[ "$("$root/usr/bin/lumetra" --version)" = "lumetra $version" ] || fail "--version"
"$root/usr/bin/lumetra" --help | grep -q -- '--database PATH' || fail "--help"

entry=$root/usr/share/applications/org.lumetra.Lumetra.desktop
desktop-file-validate "$entry" || fail "desktop entry"
# Menus file an entry under each main category it names: one, or it shows up twice.
main_categories=$(sed -n 's/^Categories=//p' "$entry" | tr ';' '\n' |
  grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' || true)
[ "$main_categories" = 1 ] || fail "the desktop entry names $main_categories main categories"
zcat "$root/usr/share/man/man1/lumetra.1.gz" | groff -man -Tutf8 -P-cbou 2> /dev/null |
  grep -qF 'LUMETRA_COM<N>' || fail "the manual page does not name LUMETRA_COM<N>"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.lumetra.Lumetra.metainfo.xml" || fail "metainfo"
icon=$(sed -n 's/^Icon=//p' "$entry")
icons=$root/usr/share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$icon.svg" || fail "SVG icon $icon"
for size in 48 128 256; do
  png=$icons/${size}x${size}/apps/$icon.png
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width $height" = "$size $size" ] || fail "$png is ${width}x${height}"
done

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libgstreamer1.0-0 libtag1v5 libsqlite3-0 gstreamer1.0-plugins-base \
  gstreamer1.0-plugins-good qt6-qpa-plugins libqt6svg6 fonts-wqy-microhei qt6-translations-l10n; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *gstreamer1.0-alsa* ]] || fail "Recommends lacks gstreamer1.0-alsa"
if command -v lintian > /dev/null; then
  lintian --fail-on error "$deb" || fail "lintian reports errors"
fi

# The first start of the extracted program, on an empty home. The packaged simulator stands behind
# a by-id style link, chosen for COM1 in the user's configuration as the settings page stores it.
home=$work/home
adapter=$work/dev/serial/by-id/usb-Lumetra_Test_Adapter_01-if00-port0
mkdir -p "$home/config/lumetra" "$(dirname "$adapter")"
printf '[serial]\ncom1=%s\n' "$adapter" > "$home/config/lumetra/lumetra.conf"
"$root/usr/bin/lumetra-txsim" --link "$adapter" < /dev/null > "$work/txsim.log" 2>&1 &
pids+=($!)
wait_for 50 grep -q '^/' "$work/txsim.log" || fail "the simulator did not start"
env -u LUMETRA_DATABASE -u LUMETRA_COM1 -u LUMETRA_COM2 -u LUMETRA_COM3 -u LUMETRA_COM4 -u DISPLAY \
  -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" TMPDIR="$work" \
  QT_QPA_PLATFORM=offscreen LUMETRA_AUDIO_SINK=fakesink "$root/usr/bin/lumetra" &
lumetra=$!
pids+=($lumetra)
wait_for 150 test -s "$home/data/lumetra/dbinfo.mdb" || fail "no database in the data folder"
wait_for 150 grep -q SendSCOM "$work/txsim.log" || fail "no heartbeat reached the simulator"
kill -TERM "$lumetra"
status=0
wait "$lumetra" || status=$?
[ "$status" = 0 ] || fail "lumetra ended with $status"
wait_for 30 grep -q 'channels off: all' "$work/txsim.log" || fail "the receivers were not switched off"
[ ! -e "$root/usr/bin/dbinfo.mdb" ] || fail "a database beside the installed program"
echo "package $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB: checked"
