#!/usr/bin/env bash
# Checks that every folder includes only from the layers below it, that only gui/
# (besides the entry point, tests and benchmarks) uses Qt Widgets, and that only gui/
# and audio/ use Qt Multimedia. The build already refuses a widget header where the library does
# not link Qt Widgets; this also catches project headers, which every folder can
# reach from the source root. Exit 1 with one line per offending include.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [platform]="platform"
  [process]="process platform"
  [i18n]="i18n platform"
  [identity]="identity platform"
  [effects]="effects process identity platform"
  [online]="online identity i18n platform"
  [audio]="audio effects process identity platform"
  [cli]="cli audio effects online process identity i18n platform"
  [gui]="gui cli audio effects online process identity i18n platform"
  [app]="app gui cli platform"
)

qt_include=$(dirname "$(find /usr/include -path '*qt6/QtWidgets' -type d -print -quit 2>/dev/null || true)")
widget_headers=""
if [ -d "$qt_include/QtWidgets" ]; then
  widget_headers=$(ls "$qt_include/QtWidgets" "$qt_include/QtMultimedia" 2>/dev/null | grep -v '\.h$' | sort -u | tr '\n' '|')
  multimedia_free_headers=$(ls "$qt_include/QtWidgets" 2>/dev/null | grep -v '\.h$' | sort -u | tr '\n' '|')
fi

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    header=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"${line#*:}")
    if ! grep -qw -- "$header" <<<"${allowed[$folder]}"; then
      echo "$file: includes $header/, which $folder/ may not use"
      status=1
    fi
  done < <(grep -rHn -E '^#include "[^/"]+/' "$folder" --include='*.h' --include='*.cpp' | grep -v "^$folder/[^:]*:[0-9]*:#include \"$folder/" || true)
  if [ -n "$widget_headers" ] && [ "$folder" != gui ] && [ "$folder" != app ]; then
    forbidden=$widget_headers
    [ "$folder" = audio ] && forbidden=$multimedia_free_headers
    while IFS= read -r line; do
      echo "${line%%:*}: includes a Qt Widgets or Qt Multimedia header where it may not"
      status=1
    done < <(grep -rHn -E "^#include <(QtWidgets/|QtMultimedia/)?(${forbidden%|})>" "$folder" \
               --include='*.h' --include='*.cpp' || true)
  fi
done
exit $status
