#!/bin/sh
# Runs a headless Full Sequence on benches built to break the program: a scope that stops
# answering part-way (by hand with the virtual technician, and in Auto mode) and scopes with
# absurd physics. Each run must end by itself with exit 1, 2 or 3 inside 120 s, with 1 GB of
# address space at most and a peak RSS under 200 MB. Then Parlex at the terminal is handed a
# folder, /dev/zero, a FIFO and a 50 MB file to send, and a FIFO to write an answer to: each
# must end within 5 s with exit 1 and a message.
#
#   scripts/hostile_benches.sh [path/to/veridane]
#
# Prints one line per run (exit code, seconds, peak RSS) and exits 1 when any run broke a bound.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
veridane=${1:-$here/build/src/app/veridane}
[ -x "$veridane" ] || { echo "No program at $veridane (build the veridane target first)." >&2; exit 4; }
command -v prlimit >/dev/null || { echo "prlimit is missing (util-linux)." >&2; exit 4; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (package time)." >&2; exit 4; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
export APPDATA="$work/appdata" XDG_DATA_HOME="$work/xdg" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$APPDATA" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$HOME"

instruments='
[[instrument]]
type = "AT 5010"
address = 5

[[instrument]]
type = "CG 5011"
address = 6

[[instrument]]
type = "Fluke 5100B"
address = 7

[[instrument]]
type = "SG 5030"
address = 8

[[instrument]]
type = "SI 5020"
address = 11

[[instrument]]
type = "SI 5020"
address = 12

[wiring]
generator_through_attenuator = true
terminated = ["CH1", "CH2", "EXT"]

[wiring.relays]
SG = "A1"
CALIB = "A2"
CGTR = "A3"
CH1 = "B1C1"
CH2 = "B2C2"
AUXTR = "B3D1"'

# bench NAME MODE SCOPE-LINES: writes $work/NAME.toml; MODE "hand" is the scope alone (the
# technician sets every signal by hand), "auto" the full Auto bench.
bench() {
  file="$work/$1.toml"
  printf 'description = "%s"\n\n[scope]\nmodel = "TDS 340"\naddress = 1\n%s\n' "$1" "$3" >"$file"
  [ "$2" = auto ] && printf '%s\n' "$instruments" >>"$file"
}

for n in 20 60 150 300 600 1000; do
  for mode in hand auto; do
    bench "silent-after-$n-$mode" "$mode" "faults = { vanish_after = $n }"
  done
done
for mode in hand auto; do
  bench "huge-gain-$mode" "$mode" '
[scope.ch1]
gain_error = 1e9
[scope.ch2]
gain_error = 1e9'
  bench "huge-noise-$mode" "$mode" 'noise_divisions = 1e12'
  bench "huge-offset-$mode" "$mode" '
[scope.ch1]
offset_error = 1e12
[scope.ch2]
offset_error = -1e12'
  bench "huge-time-base-$mode" "$mode" 'time_base_ppm = 1e15'
  bench "negative-time-base-$mode" "$mode" 'time_base_ppm = -3e6'
  bench "tiny-bandwidth-$mode" "$mode" '
[scope.ch1]
bandwidth_mhz = 1e-12
[scope.ch2]
bandwidth_mhz = 1e-12'
done

broken=0
printf '%-32s %5s %8s %10s\n' bench exit seconds "peak RSS"
for file in "$work"/*.toml; do
  name=$(basename "$file" .toml)
  manual=
  case "$name" in *-hand) manual=--manual ;; esac
  start=$(date +%s.%N)
  prlimit --as=1000000000 /usr/bin/time -v -o "$work/time.txt" timeout 120 \
    "$veridane" --headless --bench "$file" --run full --technician virtual $manual --no-results \
    >"$work/$name.out" 2>"$work/$name.err"
  code=$?
  end=$(date +%s.%N)
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  seconds=$(awk "BEGIN { print $end - $start }")
  verdict=ok
  case "$code" in 1 | 2 | 3) ;; *) verdict="BAD EXIT" ;; esac
  [ "${rss:-999999}" -lt 204800 ] || verdict="TOO MUCH MEMORY"
  [ "$verdict" = ok ] || broken=1
  printf '%-32s %5s %8.2f %7s KB  %s\n' "$name" "$code" "$seconds" "${rss:-?}" "$verdict"
  [ "$verdict" = ok ] || tail -n 5 "$work/$name.err" | sed 's/^/    /'
done

# Parlex at the terminal on the healthy simulated bench.
mkfifo "$work/fifo"
mkdir "$work/folder"
head -c 52428800 /dev/zero >"$work/big.dat"
parlex() {
  label=$1
  shift
  start=$(date +%s.%N)
  printf '%s\n' "$@" ":quit" |
    prlimit --as=1000000000 /usr/bin/time -v -o "$work/time.txt" timeout 5 \
      "$veridane" --parlex --bench sim >"$work/parlex.out" 2>"$work/parlex.err"
  code=$?
  end=$(date +%s.%N)
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  seconds=$(awk "BEGIN { print $end - $start }")
  said=$(grep -h -m1 -e "Can't" "$work/parlex.out" "$work/parlex.err" | head -n 1)
  verdict=ok
  [ "$code" -eq 1 ] || verdict="BAD EXIT"
  [ -n "$said" ] || verdict="NO MESSAGE"
  [ "$verdict" = ok ] || broken=1
  printf '%-32s %5s %8.2f %7s KB  %s  %s\n' "$label" "$code" "$seconds" "${rss:-?}" "$verdict" "$said"
}
parlex ":sendfile folder" ":addr 1" ":sendfile $work/folder"
parlex ":sendfile /dev/zero" ":addr 1" ":sendfile /dev/zero"
parlex ":sendfile FIFO" ":addr 1" ":sendfile $work/fifo"
parlex ":sendfile 50 MB file" ":addr 1" ":sendfile $work/big.dat"
parlex ":tofile FIFO" ":addr 1" ":tofile $work/fifo" "ID?"

exit $broken
