#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: exactly the
# expected files, the program folder reached through the bin/ link, the icons'
# sizes, and the desktop entry and metainfo through their validators.
# Usage: install-tree.sh BUILD-FOLDER SOURCE-FOLDER
set -euo pipefail
build=$1
source=$2
app_id=com.quillaby.Tonara

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*" >&2; exit 1; }

# Every installed path, nothing more or less.
expected=$(bash "$(dirname "$0")/installed-files.sh" "$source")
actual=$(cd "$prefix" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
diff <(echo "$expected") <(echo "$actual") || fail "the installed tree differs (< expected, > installed)"

[ -L "$prefix/bin/tonara" ] || fail "bin/tonara is not a symbolic link"
[ "$(readlink "$prefix/bin/tonara")" = ../lib/tonara/tonara ] || fail "bin/tonara points to $(readlink "$prefix/bin/tonara")"
cmp -s "$source/LICENSE" "$prefix/lib/tonara/license.txt" || fail "license.txt is not the project's LICENSE"
for size in 48 128 256; do
  file -b "$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png" | grep -q "^PNG image data, $size x $size," ||
    fail "the ${size}px icon is not a ${size}x$size PNG"
done
file -b "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" | grep -q SVG || fail "the scalable icon is no SVG"

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"

# Started through the link, the program reads its version block from its real file.
version=$("$prefix/bin/tonara" --version) || fail "bin/tonara --version"
[ "$version" = "Tonara 1.0" ] || fail "bin/tonara --version printed \"$version\""
echo "install tree complete and valid"
