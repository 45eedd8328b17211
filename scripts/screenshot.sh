#!/usr/bin/env bash
# Starts the launcher of a build folder on a virtual display (Xvfb), waits for
# its window, saves a screenshot of it as a PNG, then closes the window
# as a user would, so the launcher ends normally (and saves).
#
# Usage: scripts/screenshot.sh [--user-dirs] <build folder> <output.png>
#
# By default the launcher gets a temporary XDG_DATA_HOME and XDG_RUNTIME_DIR,
# so it shows the shipped default profiles and leaves your own Launcher.ini
# alone. With --user-dirs it uses yours, as scripts/start-launcher.sh does on a
# machine without a display.
#
# Needs xvfb-run (xvfb, xauth), ImageMagick's import (imagemagick) and
# python3-xlib, all in scripts/install-dependencies.sh.
set -euo pipefail

user_dirs=0
if [ "${1:-}" = "--user-dirs" ]; then
  user_dirs=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "Usage: $0 [--user-dirs] <build folder> <output.png>" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
launcher="$build/MirelvaLauncher"
[ -x "$launcher" ] || { echo "No launcher at $launcher: build it first." >&2; exit 1; }

# Outside the virtual display: check the tools, then run this script again on one.
if [ -z "${MIRELVA_SCREENSHOT_ON_XVFB:-}" ]; then
  missing=()
  command -v xvfb-run >/dev/null || missing+=(xvfb)
  command -v xauth >/dev/null || missing+=(xauth)
  command -v import >/dev/null || missing+=(imagemagick)
  /usr/bin/python3 -c 'import Xlib' 2>/dev/null || missing+=(python3-xlib)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Missing: ${missing[*]} (run scripts/install-dependencies.sh)" >&2
    exit 1
  fi
  args=("$build" "$output")
  [ $user_dirs -eq 0 ] || args=(--user-dirs "${args[@]}")
  MIRELVA_SCREENSHOT_ON_XVFB=1 exec xvfb-run --auto-servernum \
    --server-args="-screen 0 1280x900x24 -nolisten tcp" "$0" "${args[@]}"
fi

# Small X11 helpers, on the system's python3 with python3-xlib:
#   window PID SECONDS  prints the id of the launcher's main window once it is
#                       shown; exits 1 on time-out, 2 when the process ended
#   close WINDOW        asks the window to close (WM_DELETE_WINDOW), as a
#                       window manager does when the user clicks its close button
x11() {
  /usr/bin/python3 - "$@" <<'EOF'
import os, sys, time
from Xlib import X, Xatom, display, error
from Xlib.protocol import event

d = display.Display()
atom = d.intern_atom
if sys.argv[1] == "window":
    pid, deadline = int(sys.argv[2]), time.monotonic() + float(sys.argv[3])
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            sys.exit(2)
        for window in d.screen().root.query_tree().children:
            try:
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                owner = window.get_full_property(atom("_NET_WM_PID"), Xatom.CARDINAL)
                kind = window.get_full_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
            except error.BadWindow:
                continue
            if owner and owner.value[0] == pid and (not kind or atom("_NET_WM_WINDOW_TYPE_NORMAL") in kind.value):
                print(window.id)
                sys.exit(0)
        time.sleep(0.1)
    sys.exit(1)
elif sys.argv[1] == "close":
    window = d.create_resource_object("window", int(sys.argv[2]))
    message = event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"),
                                  data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    d.flush()
EOF
}

# On the virtual display.
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
if [ $user_dirs -eq 0 ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -m 700 "$scratch/data" "$scratch/runtime"
  export XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime"
fi

mkdir -p "$(dirname "$output")"
"$launcher" &
pid=$!
status=0
window=$(x11 window "$pid" 30) || status=$?
if [ $status -ne 0 ]; then
  if [ $status -eq 2 ]; then
    wait "$pid" && code=0 || code=$?
    echo "The launcher ended (exit code $code) before its window was shown." >&2
    [ $code -ne 0 ] || echo "(Exit code 0: another launcher of yours was running and was brought to the front.)" >&2
  else
    echo "The launcher's window was not shown within 30 s." >&2
    import -window root "$output" && echo "The screen as it was: $output" >&2
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || true
  fi
  exit 1
fi

sleep 1 # let it paint
# With no window manager the window has no frame: trim the empty screen around it.
import -window root -trim +repage "$output"
echo "Screenshot saved to $output"

x11 close "$window"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "The launcher did not end within 10 s of closing its window; stopping it." >&2
  kill -TERM "$pid" 2>/dev/null || true
fi
wait "$pid" && code=0 || code=$?
[ $code -eq 0 ] || echo "The launcher ended with exit code $code." >&2
exit $code
