#!/usr/bin/env bash
# Runs every shipped bench with two builds and compares what a lab keeps: the tables on standard
# output, the .log and the .tst file, byte for byte. Each bench runs three ways, each in a fresh
# data and settings folder:
#   auto     --headless --run full                               (Auto mode where offered)
#   virtual  --headless --run full --technician virtual --manual (by hand, the virtual technician)
#   manual   --headless --run full --manual                      (by hand, prompts answered alone)
# The log header's "Date & Time:" line is masked in the log and on standard output (it holds the
# minute of the run). A line that
# differs only because the new build writes "no reading" where the old one showed a stand-in
# number is listed apart and does not count as a difference.
#
# Usage: scripts/compare_builds.sh OLD_BINARY NEW_BINARY [BENCH...]
# Exit code: 0 identical (apart from no-reading cells), 1 differences, 4 usage.
set -u

if [ $# -lt 2 ] || [ ! -x "$1" ] || [ ! -x "$2" ]; then
  echo "usage: $0 OLD_BINARY NEW_BINARY [BENCH...]   (both binaries executable)" >&2
  exit 4
fi
old=$(realpath "$1")
new=$(realpath "$2")
shift 2

work=$(mktemp -d "${TMPDIR:-/tmp}/compare-builds.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ $# -gt 0 ]; then
  benches=("$@")
else
  # "  sim:NAME  description" lines; the remembered bench line is no shipped bench.
  mapfile -t benches < <(HOME="$work/list" XDG_CONFIG_HOME="$work/list/config" APPDATA="$work/list/data" \
    "$new" --list-benches 2>/dev/null | grep -o 'sim:[A-Za-z0-9_-]*' | sort -u)
fi
if [ ${#benches[@]} -eq 0 ]; then
  echo "no shipped benches listed by $new --list-benches" >&2
  exit 4
fi

declare -A mode_args=(
  [auto]=""
  [virtual]="--technician virtual --manual"
  [manual]="--manual"
)

# One run: its stdout, exit code, and the .log/.tst files it left, in $dir.
run_one() {
  local binary=$1 bench=$2 mode=$3 dir=$4
  mkdir -p "$dir/home/config" "$dir/data"
  # shellcheck disable=SC2086
  HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/config" XDG_DATA_HOME="$dir/data" APPDATA="$dir/data" \
    QT_QPA_PLATFORM=offscreen timeout 600 "$binary" --headless --bench "$bench" --run full ${mode_args[$mode]} \
    --log compare --serial B012345 >"$dir/stdout" 2>"$dir/stderr" </dev/null
  echo $? >"$dir/exit"
  sed -i 's/^Date & Time:.*/Date \& Time: (masked)/' "$dir/stdout"
  local log tst
  log=$(find "$dir/data" -name 'compare.log' -print -quit)
  tst=$(find "$dir/data" -name 'compare.tst' -print -quit)
  if [ -n "$log" ]; then sed 's/^Date & Time:.*/Date \& Time: (masked)/' "$log" >"$dir/log"; else : >"$dir/log"; fi
  if [ -n "$tst" ]; then cp "$tst" "$dir/tst"; else : >"$dir/tst"; fi
}

# Compares one kept file; prints differences, and no-reading lines apart. Returns 1 on a
# difference that is not a no-reading cell.
compare_file() {
  local what=$1 a=$2 b=$3
  python3 - "$what" "$a" "$b" <<'EOF'
import sys
what, a, b = sys.argv[1], sys.argv[2], sys.argv[3]
old = open(a, 'rb').read()
new = open(b, 'rb').read()
if old == new:
    sys.exit(0)
# The log's rows are compacted: blank runs and frequent words are control codes (a blank-run
# code and its length; then the words' codes), so lines are compared by their expanded text.
WORDS = [(2, b'VERTICAL SCALE'), (3, b' - '), (4, b'MEASURED'), (5, b' mV'), (6, b' \xb5V'), (7, b'div'),
         (8, b' MHz'), (14, b'LIMIT'), (15, b'PASS'), (16, b'FAIL')]
def expand(line):
    if what != 'log':
        return line
    out = bytearray()
    i = 0
    while i < len(line):
        if line[i] == 1 and i + 1 < len(line) and line[i + 1] - 30 > 0:
            out += b' ' * (line[i + 1] - 30)
            i += 2
            continue
        out.append(line[i])
        i += 1
    text = bytes(out)
    for code, word in WORDS:
        text = text.replace(bytes([code]), word)
    return text
encoding = 'cp1252' if what == 'log' else 'utf-8'
ol = old.split(b'\n')
nl = new.split(b'\n')
bad = 0
soft = 0
if len(ol) != len(nl):
    print(f"    {what}: {len(ol)} lines before, {len(nl)} now")
    bad += 1
for n, (x, y) in enumerate(zip(ol, nl), 1):
    if x == y:
        continue
    ex, ey = expand(x), expand(y)
    if b'no reading' in ey and len(ex) == len(ey):
        soft += 1
        print(f"    {what} line {n} (no reading):\n      was {ex.decode(encoding, 'replace').rstrip()}\n      now {ey.decode(encoding, 'replace').rstrip()}")
    else:
        bad += 1
        if bad <= 5:
            print(f"    {what} line {n} DIFFERS:\n      was {ex.decode(encoding, 'replace').rstrip()}\n      now {ey.decode(encoding, 'replace').rstrip()}")
sys.exit(1 if bad else 2 if soft else 0)
EOF
}

runs=0
identical=0
with_no_reading=0
different=0
for bench in "${benches[@]}"; do
  for mode in auto virtual manual; do
    dir="$work/$bench.$mode"
    run_one "$old" "$bench" "$mode" "$dir/old"
    run_one "$new" "$bench" "$mode" "$dir/new"
    runs=$((runs + 1))
    report=""
    status=0
    if ! cmp -s "$dir/old/exit" "$dir/new/exit"; then
      report+="    exit code $(cat "$dir/old/exit") before, $(cat "$dir/new/exit") now"$'\n'
      status=1
    fi
    for kept in stdout log tst; do
      out=$(compare_file "$kept" "$dir/old/$kept" "$dir/new/$kept")
      code=$?
      [ -n "$out" ] && report+="$out"$'\n'
      if [ $code -eq 1 ]; then status=1; elif [ $code -eq 2 ] && [ $status -eq 0 ]; then status=2; fi
    done
    case $status in
      0) identical=$((identical + 1)) ;;
      2) with_no_reading=$((with_no_reading + 1)); echo "$bench $mode: identical apart from no-reading cells"; printf '%s' "$report" ;;
      *) different=$((different + 1)); echo "$bench $mode: DIFFERENT"; printf '%s' "$report" ;;
    esac
  done
done

echo "compared $runs runs (${#benches[@]} benches x auto, virtual technician, manual):" \
  "$identical identical, $with_no_reading identical apart from no-reading cells, $different different"
[ $different -eq 0 ]
