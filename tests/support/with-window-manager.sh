#!/bin/bash
# with-window-manager.sh PROGRAM [ARGUMENTS]: runs PROGRAM on the current X display
# with a window manager (openbox) looking after it, as on a desktop: whether a new
# window takes the focus is decided by the manager, which a bare X server has not.
set -u
ready=$(mktemp -u "${TMPDIR:-/tmp}/tonara-wm-XXXXXX")
openbox --sm-disable --startup "touch $ready" &
wm=$!
for _ in $(seq 300); do
  [[ -e $ready ]] && break
  kill -0 "$wm" 2>/dev/null || { echo "openbox did not start" >&2; exit 1; }
  sleep 0.1
done
[[ -e $ready ]] || { echo "openbox did not come up" >&2; kill "$wm"; exit 1; }
"$@"
rc=$?
kill "$wm"
wait "$wm" 2>/dev/null
rm -f "$ready"
exit $rc
