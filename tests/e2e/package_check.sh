#!/usr/bin/env bash
# shellcheck disable=SC2015  # "A && pass ... || fail ..." is safe here: pass only prints.
# Makes the Debian package from a built tree and checks what it holds: exactly the program, our
# audio library, the command link, the menu entry, the AppStream file, the icons and the help page
# (with the package's version, and the parts the board opens); dependencies
# that cover every library the two binaries link; valid desktop and AppStream files. The package
# stays in OUT_DIR for the desktop test.
#
# Usage: package_check.sh BUILD_DIR OUT_DIR
set -uo pipefail

build=${1:?usage: package_check.sh BUILD_DIR OUT_DIR}
out=${2:?usage: package_check.sh BUILD_DIR OUT_DIR}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }

for tool in cpack dpkg-deb file readelf; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: $tool is not installed"
    exit 1
  }
done

rm -rf "$out"
mkdir -p "$out"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  echo "FAIL: cpack did not make the package"
  exit 1
fi
rm -rf "$out/_CPack_Packages"
shopt -s nullglob
debs=("$out"/kalvor_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "FAIL: expected one kalvor_*.deb in $out, found ${#debs[@]}"
  exit 1
fi
deb=${debs[0]}
echo "package: $deb ($(stat -c %s "$deb") bytes)"

# --- Contents: these files and nothing else (no tests, benchmarks or build tools) ----------------
expected=$(
  cat <<'EOF'
./usr/bin/kalvor -> ../lib/kalvor/kalvor
./usr/lib/kalvor/kalvor
./usr/lib/kalvor/kalvor-chat-guard
./usr/lib/kalvor/libbass.so
./usr/share/applications/io.kalvor.Kalvor.desktop
./usr/share/icons/hicolor/128x128/apps/kalvor.png
./usr/share/icons/hicolor/16x16/apps/kalvor.png
./usr/share/icons/hicolor/24x24/apps/kalvor.png
./usr/share/icons/hicolor/256x256/apps/kalvor.png
./usr/share/icons/hicolor/32x32/apps/kalvor.png
./usr/share/icons/hicolor/48x48/apps/kalvor.png
./usr/share/icons/hicolor/64x64/apps/kalvor.png
./usr/share/kalvor/help/about.html
./usr/share/kalvor/help/contact.html
./usr/share/kalvor/help/index.html
./usr/share/metainfo/io.kalvor.Kalvor.metainfo.xml
EOF
)
# dpkg-deb -c: permissions, owner, size, date, time, path[ -> target]; folders are left out.
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
  LC_ALL=C sort)
if [ "$actual" = "$(LC_ALL=C sort <<<"$expected")" ]; then
  pass "the package holds exactly the $(wc -l <<<"$expected") expected files"
else
  fail "package contents differ from the expected list:"
  diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") | sed 's/^/      /'
fi

root="$out/root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"

# --- The binaries: the program finds the library beside it, nothing points into the build tree ---
for binary in usr/lib/kalvor/kalvor usr/lib/kalvor/libbass.so usr/lib/kalvor/kalvor-chat-guard; do
  if [ ! -f "$root/$binary" ]; then
    fail "$binary is missing"
    continue
  fi
  if readelf -d "$root/$binary" | grep -Eq 'RPATH|RUNPATH'; then
    fail "$binary carries a search path: $(readelf -d "$root/$binary" | grep -E 'RPATH|RUNPATH')"
  else
    pass "$binary has no build-tree search path"
  fi
done
[ -x "$root/usr/lib/kalvor/kalvor" ] && pass "the program is executable" ||
  fail "usr/lib/kalvor/kalvor is not executable"
[ -x "$root/usr/lib/kalvor/kalvor-chat-guard" ] && pass "the virtual microphone's watcher is executable" ||
  fail "usr/lib/kalvor/kalvor-chat-guard is not executable"
if readelf --dyn-syms "$root/usr/lib/kalvor/libbass.so" 2>/dev/null | grep ' BASS_Init$' >/dev/null; then
  pass "libbass.so exports BASS_Init"
else
  fail "libbass.so does not export BASS_Init"
fi

# --- Dependencies --------------------------------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depends_names=" $(sed -E 's/\([^)]*\)//g; s/[,|]/ /g' <<<"$depends" | tr -s ' ') "
for needed in qt6-qpa-plugins fonts-wqy-microhei libqt6widgets6 libsdl2-2.0-0 libxcb-keysyms1 libpulse0; do
  [[ $depends_names == *" $needed "* ]] || fail "Depends lacks $needed"
done
if readelf -d "$root/usr/lib/kalvor/kalvor" | grep -q 'NEEDED.*libasan'; then
  # A sanitizer build links the sanitizer runtimes (and keeps libraries a release build drops):
  # it is not a package to hand out, so its linked libraries are not compared with Depends.
  echo "note: a sanitizer build; linked libraries not compared with Depends"
elif command -v dpkg-shlibdeps >/dev/null; then
  # dpkg-shlibdeps wants a source package around the binaries it reads.
  work="$out/shlibdeps"
  mkdir -p "$work/debian"
  printf 'Source: kalvor\n\nPackage: kalvor\nArchitecture: any\n' >"$work/debian/control"
  linked=$(cd "$work" && dpkg-shlibdeps -O "$root/usr/lib/kalvor/kalvor" \
    "$root/usr/lib/kalvor/libbass.so" "$root/usr/lib/kalvor/kalvor-chat-guard" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
  if [ -z "$linked" ]; then
    fail "dpkg-shlibdeps found nothing"
  else
    missing=()
    # shellcheck disable=SC2013  # package names hold no blanks
    for package in $(sed -E 's/\([^)]*\)//g; s/,/ /g' <<<"$linked"); do
      [[ $depends_names == *" $package "* ]] || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
      pass "Depends covers every linked library ($(wc -w <<<"$(sed -E 's/\([^)]*\)//g; s/,/ /g' <<<"$linked")") packages)"
    else
      fail "Depends lacks packages of linked libraries: ${missing[*]} (dpkg-shlibdeps: $linked)"
    fi
  fi
else
  echo "note: dpkg-shlibdeps is not installed; linked libraries not compared with Depends"
fi

# --- Menu entry, AppStream file, icons -----------------------------------------------------------
desktop="$root/usr/share/applications/io.kalvor.Kalvor.desktop"
for line in 'Name=Kalvor音效助手' 'Exec=kalvor' 'Icon=kalvor' 'Categories=AudioVideo;Audio;' \
  'Type=Application' 'StartupWMClass=kalvor'; do
  grep -qxF "$line" "$desktop" || fail "the desktop entry lacks the line $line"
done
if command -v desktop-file-validate >/dev/null; then
  if report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ]; then
    pass "desktop-file-validate: no remarks"
  else
    fail "desktop-file-validate: $report"
  fi
else
  echo "note: desktop-file-validate is not installed; the desktop entry was not validated"
fi

metainfo="$root/usr/share/metainfo/io.kalvor.Kalvor.metainfo.xml"
if command -v appstreamcli >/dev/null; then
  if report=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
    pass "appstreamcli validate: $(tail -n 1 <<<"$report" | sed 's/^[^A-Za-z]*//')"
  else
    fail "appstreamcli validate: $report"
  fi
else
  echo "note: appstreamcli is not installed; the AppStream file was not validated"
fi
version=$(dpkg-deb -f "$deb" Version)
first_release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[ "$first_release" = "$version" ] && pass "the newest AppStream release is the package's $version" ||
  fail "the newest AppStream release is '$first_release', the package is $version"
grep -q '<launchable type="desktop-id">io.kalvor.Kalvor.desktop</launchable>' "$metainfo" ||
  fail "the AppStream file does not name the desktop entry"

# --- The help page the board's author links open --------------------------------------------------
help="$root/usr/share/kalvor/help"
grep -q "版本 <b>$(dpkg-deb -f "$deb" Version)</b>" "$help/index.html" 2>/dev/null &&
  pass "the help page names the package's version" ||
  fail "the help page does not name version $(dpkg-deb -f "$deb" Version)"
for part in contact about; do
  grep -q "id=\"$part\"" "$help/index.html" 2>/dev/null &&
    grep -q "url=index.html#$part\"" "$help/$part.html" 2>/dev/null ||
    fail "help/$part.html does not lead to the part \"$part\" of the help page"
done

bad_icons=0
for size in 16 24 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/kalvor.png"
  kind=$(file -b "$icon" 2>/dev/null)
  if [[ $kind != "PNG image data, $size x $size, "* ]]; then
    fail "icon ${size}x${size}: $kind"
    bad_icons=$((bad_icons + 1))
  fi
done
[ $bad_icons -eq 0 ] && pass "icons: PNG of 16, 24, 32, 48, 64, 128 and 256 pixels"

rm -rf "$root" "$out/shlibdeps"
if [ $failures -ne 0 ]; then
  echo "package check: $failures failure(s)"
  exit 1
fi
echo "package check: passed"
