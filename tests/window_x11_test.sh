#!/usr/bin/env bash
# The window end to end under a real X server, driven by real input events:
# start Xvfb and the demo share site, start the window, type the share
# address (the keyboard focus starts in the share box), press 解析, press
# download address 1, and read the X clipboard from another process.
#   window_x11_test.sh KESTRANE DEMO_SITE
set -euo pipefail
kestrane=$1
demo_site=$2

work=$(mktemp -d)
pids=()
finish() {
  local status=$?
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ $status -ne 0 ]; then
    for log in "$work"/*.log; do echo "== $log"; cat "$log"; done
  fi
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "window_x11_test: $*" >&2; exit 1; }

# Try a command every 0.1 s, up to TRIES times (default 200), until it succeeds.
await() {
  for _ in $(seq "${TRIES:-200}"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
await test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR

"$demo_site" >"$work/site.out" 2>"$work/site.log" &
pids+=($!)
await test -s "$work/site.out" || fail "the demo site did not start"
share=$(head -n 1 "$work/site.out")
want="${share%/s/1demo}/file/demo.txt?fid=42"

"$kestrane" >"$work/window.log" 2>&1 &
pids+=($!)
window_id() { xdotool search --onlyvisible --name '^Kestrane$' 2>/dev/null | head -n 1 > "$work/wid" && test -s "$work/wid"; }
await window_id || fail "the window did not appear"
wid=$(cat "$work/wid")

# No window manager runs here to give the window the input focus; ask X.
xdotool windowfocus --sync "$wid"
xdotool type --delay 5 "$share"
# 解析 at (296, 7), 64 x 24; download address 1 at (88, 191), 272 x 24.
xdotool mousemove --window "$wid" 328 19 click 1
# The parse runs on the window's thread; a press queued behind it copies
# whatever the box holds by then, so press until the address is there.
copied() {
  xdotool mousemove --window "$wid" 224 203 click 1
  sleep 0.2
  [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$want" ]
}
TRIES=50 await copied || fail "the clipboard holds '$(xclip -o -selection clipboard 2>/dev/null || true)', not '$want'"
echo "window_x11_test: the clipboard holds $want"
