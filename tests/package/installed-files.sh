#!/usr/bin/env bash
# Prints every path that installing Tonara creates below the prefix, sorted:
# the program folder, the bin/ link, the desktop entry, metainfo, icons, the
# copyright file, changelog and manual page.
# Usage: installed-files.sh SOURCE-FOLDER
set -euo pipefail
source=$1
app_id=com.quillaby.Tonara
{
  printf '%s\n' bin bin/tonara lib lib/tonara lib/tonara/tonara lib/tonara/license.txt lib/tonara/Languages
  for f in "$source"/resources/Languages/*; do echo "lib/tonara/Languages/$(basename "$f")"; done
  printf '%s\n' share share/applications "share/applications/$app_id.desktop" \
    share/metainfo "share/metainfo/$app_id.metainfo.xml" share/icons share/icons/hicolor \
    share/icons/hicolor/scalable share/icons/hicolor/scalable/apps "share/icons/hicolor/scalable/apps/$app_id.svg"
  printf '%s\n' share/doc share/doc/tonara share/doc/tonara/copyright share/doc/tonara/changelog.gz \
    share/man share/man/man1 share/man/man1/tonara.1.gz
  for size in 48 128 256; do
    printf '%s\n' "share/icons/hicolor/${size}x$size" "share/icons/hicolor/${size}x$size/apps" \
      "share/icons/hicolor/${size}x$size/apps/$app_id.png"
  done
} | LC_ALL=C sort
