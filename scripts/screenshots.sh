#!/bin/sh
# Makes the user guide's pictures (docs/*.png, 1024x768) from the simulated bench: the program
# is started under a virtual display (Xvfb) with a fresh home, driven with key presses as a
# technician would, and the screen is taken at each step. Run it after a change to a window,
# then rebuild (the guide and its pictures are built into the program).
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build; the program must be built there)
#
# Needs xvfb, xauth, xdotool, imagemagick and openbox (a window manager, for the captions and the
# keyboard focus); missing ones are installed (apt-get).
set -e
cd "$(dirname "$0")/.."

if [ "$1" != "--under-xvfb" ]; then
  missing=""
  for p in xvfb xauth xdotool imagemagick openbox; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -q >/dev/null || true
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing >/dev/null
  fi
  BUILD_DIR=${1:-build}
  [ -x "$BUILD_DIR/src/app/veridane" ] || { echo "build the program first: $BUILD_DIR/src/app/veridane" >&2; exit 4; }
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --under-xvfb "$(cd "$BUILD_DIR" && pwd)"
fi

BIN="$2/src/app/veridane"
OUT="$(pwd)/docs"
WORK=$(mktemp -d)
trap 'kill $APP $WM 2>/dev/null || true; rm -rf "$WORK"' EXIT
# A technician's first day: no settings, no logs, no results yet; no splash to wait for.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" XDG_CACHE_HOME="$WORK/cache"
unset APPDATA
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Veridane"
printf '[Settings]\nSkipSplash=1\n' > "$XDG_CONFIG_HOME/Veridane/Veridane.ini"
openbox --sm-disable >/dev/null 2>&1 &
WM=$!
sleep 1

# Waits until a window whose title contains the text is on screen (at most a minute).
# The window gets the keyboard.
wait_for() {
  w=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | tail -1) || {
    echo "no window \"$1\" appeared" >&2
    import -window root /tmp/screenshots-failed.png
    exit 1
  }
  xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w"
  sleep 0.3
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
# The whole screen, in few colours: the pictures stay small in the program and the repository.
shot() {
  sleep 0.8
  import -window root "$WORK/shot.png"
  convert "$WORK/shot.png" -colors 128 "PNG8:$OUT/$1.png"
  echo "docs/$1.png"
}
# The main window fills the screen below its title bar.
fill_screen() {
  for w in $(xdotool search --onlyvisible --name "Veridane, v"); do
    xdotool windowmove "$w" 0 24 windowsize "$w" 1024 738
  done
  sleep 0.5
}
main_window() { wait_for "Veridane, v"; }
# Answers every message box with its focused button until a box with this caption shows.
answer_until() {
  i=0
  while [ $i -lt 600 ]; do
    if xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; then return 0; fi
    # Window names are searched as regular expressions.
    for marker in "<Info>" "< [?] >" "< ! >"; do
      if w=$(xdotool search --onlyvisible --name "$marker" 2>/dev/null | tail -1) && [ -n "$w" ]; then
        xdotool windowactivate --sync "$w" 2>/dev/null || true
        key Return
      fi
    done
    sleep 1
    i=$((i + 1))
  done
  echo "\"$1\" never came" >&2
  exit 1
}

# Answers the message boxes as they come until none has come for three seconds.
answer_boxes() {
  quiet=0
  while [ $quiet -lt 3 ]; do
    quiet=$((quiet + 1))
    for marker in "<Info>" "< [?] >" "< ! >" "<Critical>"; do
      if w=$(xdotool search --onlyvisible --name "$marker" 2>/dev/null | tail -1) && [ -n "$w" ]; then
        xdotool windowactivate --sync "$w" 2>/dev/null || true
        key Return
        quiet=0
      fi
    done
    sleep 1
  done
}

# 0. Two earlier verifications of the scope, run headless, for the History window: one healthy,
#    one with CH2 reading 50 mV high.
"$BIN" --headless --bench sim --run offset --serial B012345 >/dev/null 2>&1 || true
"$BIN" --headless --bench sim:offset-fault --run offset --serial B012345 >/dev/null 2>&1 || true

# 1. First start on the full simulated bench: the Auto-mode offer.
"$BIN" --bench sim &
APP=$!
timeout 60 xdotool search --sync --onlyvisible --name "Veridane, v" >/dev/null
fill_screen
wait_for "Auto mode possible"
shot first-start
key Return                      # Yes: Auto mode
wait_for "Setup"
key Return
sleep 2
main_window

# 2. A Full Sequence with a new log: the create dialog, then the end with the status list.
key alt+v; key Return           # View > Show Test Status (its first item)
key alt+p; key f                # P/V > Full Sequence
wait_for "Adjust"
key Return
wait_for "Log File"
key Return                      # Yes: create a log
wait_for "Create a Logfile"
xdotool type --delay 40 "b012345"
key Return; key Return          # the name follows the serial; on to the operator
xdotool type --delay 40 "A. Technician"
key Return
xdotool type --delay 40 "Annual verification"
shot logs
key Return; key Return          # to OK, and OK
answer_until "End of Full Sequence"
wait_for "End of Full Sequence"
key Return
main_window
shot full-sequence

# 3. History of the scope just verified.
key alt+u; key h
wait_for "Results History"
shot history
key Escape
sleep 1
main_window

# 4. Parlex with the bench's listeners.
key alt+u; key p
wait_for "Parlex"
sleep 1
shot parlex
key alt+x
sleep 1
main_window

# 5. About: the boards and adapters this build works with.
key alt+a
wait_for "About Veridane"
shot about
key Escape
sleep 1
main_window
key ctrl+q
wait "$APP" || true

# 6. Faultbook on a scope with a long error log, caught while it reads.
"$BIN" --bench sim:long-error-log &
APP=$!
timeout 60 xdotool search --sync --onlyvisible --name "Veridane, v" >/dev/null
fill_screen
sleep 2
answer_boxes                    # the hand-set instruments' settings at start-up
main_window
key alt+u; key s
wait_for "Faultbook"
sleep 3
key alt+r                       # Refresh
sleep 2
shot faultbook
sleep 30
key alt+e
sleep 1
main_window
key ctrl+q
answer_boxes                    # the hand-set instruments are set back to rest on the way out
wait "$APP" || true
