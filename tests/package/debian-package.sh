#!/usr/bin/env bash
# Builds the Debian package, checks its contents and dependencies and runs
# lintian on it, installs it with apt-get, runs the installed program once for
# its version and once with an effect, and removes the package again, also when
# a step fails.
# Needs root for apt-get; exits 77 (skipped) otherwise.
# Usage: debian-package.sh BUILD-FOLDER SOURCE-FOLDER
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")

if [ "$(id -u)" != 0 ]; then
  echo "SKIPPED: installing the package needs root (CI runs as root); run ctest as root to include it"
  exit 77
fi
if dpkg-query -W -f='${db:Status-Status}' tonara 2>/dev/null | grep -qv '^not-installed$'; then
  echo "SKIPPED: a tonara package is already on this machine; this test would replace and remove it"
  exit 77
fi

fail() { echo "FAILED: $*" >&2; exit 1; }
started=$SECONDS
work=$(mktemp -d)
cleanup() {
  if dpkg-query -W -f='${db:Status-Status}' tonara 2>/dev/null | grep -qv '^not-installed$'; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tonara >/dev/null || echo "could not remove tonara" >&2
  fi
  rm -rf "$work"
  echo "package test took $((SECONDS - started)) s"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

cd "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >cpack.log 2>&1 || { cat cpack.log; fail "cpack -G DEB"; }
deb=tonara_1.0.0.0_amd64.deb
[ -f "$deb" ] || fail "no $deb; cpack made: $(ls ./*.deb 2>/dev/null)"

# Contents: the same tree as cmake --install, below /usr.
listing=$(dpkg-deb -c "$deb")
expected=$(bash "$source/tests/package/installed-files.sh" "$source")
actual=$(awk '{print $6}' <<<"$listing" | sed -e 's|^\./usr/||' -e 's|/$||' | grep -v -e '^\./' -e '^$' | LC_ALL=C sort)
diff <(echo "$expected") <(echo "$actual") || fail "the package's files differ (< expected, > packaged)"
grep -q '^l.* \./usr/bin/tonara -> \.\./lib/tonara/tonara$' <<<"$listing" || fail "usr/bin/tonara is no link"

# Dependencies: the linked libraries' packages, found by dpkg-shlibdeps, and
# what is started or loaded at run time.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libqt6core6 libqt6widgets6 libqt6multimedia6 ffmpeg gstreamer1.0-plugins-base \
  gstreamer1.0-plugins-good libcurl4 libavfilter8; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done

# lintian: no errors or warnings, and none of the infos that this build avoids
# (hardening flags missing, a .comment section). The infos left are listed.
lintian --fail-on error,warning --display-info "$deb" >lintian.log 2>&1 || { cat lintian.log; fail "lintian"; }
! grep -E '^I: .*(hardening-|binary-has-unneeded-section)' lintian.log || fail "lintian finds the hardening above missing"
grep -E '^[EWI]: ' lintian.log || echo "lintian: no tags"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >apt.log 2>&1 || { cat apt.log; fail "apt-get install"; }
[ "$(readlink -f /usr/bin/tonara)" = /usr/lib/tonara/tonara ] || fail "/usr/bin/tonara leads to $(readlink -f /usr/bin/tonara)"
version=$(/usr/bin/tonara --version) || fail "/usr/bin/tonara --version"
[ "$version" = "Tonara 1.0" ] || fail "/usr/bin/tonara --version printed \"$version\""
# The file manager's "Open with" list comes from this cache, refreshed by dpkg's trigger.
if command -v update-desktop-database >/dev/null; then
  grep -q '^audio/mpeg=.*com\.quillaby\.Tonara\.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "the desktop database does not offer Tonara for audio/mpeg"
fi

# One effect run from the installed program, on a name with a blank and a quote.
input="$work/it's a tone.wav"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:duration=1" "$input" || fail "making the input"
effect=$(/usr/bin/tonara --list-effects | sed -n 1p)
XDG_DATA_HOME="$work/data" /usr/bin/tonara --effect "$effect" --output "$work/result.wav" "$input" ||
  fail "/usr/bin/tonara --effect \"$effect\""
file -b "$work/result.wav" | grep -q '^RIFF (little-endian) data, WAVE audio' || fail "the result is no WAV file"
echo "package $deb built, checked, installed, run and removed"
