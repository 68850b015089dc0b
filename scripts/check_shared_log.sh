#!/bin/sh
# Two headless runs started at the same moment with the same new --log name, over and over:
# each time exactly one of them gets the log (exit 0) and the other is refused with the name
# (exit 4), and the log left behind is the winner's, whole: its header, as many lines as it
# printed, and a status file that matches. Any other outcome is a lost or mixed log.
#   scripts/check_shared_log.sh [ROUNDS] [PROGRAM]   (default 50 rounds of build/src/app/veridane)
set -u
cd "$(dirname "$0")/.."
rounds=${1:-50}
program=${2:-build/src/app/veridane}
case "$rounds" in
  ''|*[!0-9]*|0) echo "usage: $0 [ROUNDS] [PROGRAM]   (ROUNDS a number above 0, not \"$rounds\")" >&2; exit 2 ;;
esac
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen
unset APPDATA
folder="$XDG_DATA_HOME/Veridane/Simulated/LOG340"
lost=0

round=1
while [ "$round" -le "$rounds" ]; do
  name="race$round"
  "$program" --headless --bench sim --run offset --log "$name" --serial "a$round" >"$scratch/a.out" 2>"$scratch/a.err" &
  a=$!
  "$program" --headless --bench sim --run offset --log "$name" --serial "b$round" >"$scratch/b.out" 2>"$scratch/b.err" &
  b=$!
  wait "$a"; code_a=$?
  wait "$b"; code_b=$?

  problem=""
  if [ "$code_a" -eq 0 ] && [ "$code_b" -eq 4 ]; then winner=a loser=b
  elif [ "$code_a" -eq 4 ] && [ "$code_b" -eq 0 ]; then winner=b loser=a
  else problem="exit codes $code_a and $code_b (expected one 0 and one 4)"
  fi
  if [ -z "$problem" ]; then
    log="$folder/$name.log"
    # The log holds the winner's header and exactly the lines it printed (the log has them
    # compacted, so they are counted, not compared), none of the other run's.
    serial=$(echo "$winner$round" | tr a-z A-Z)
    first=$(head -n 1 "$log" 2>/dev/null | tr -d '\r')
    if [ "$first" != "Performance Verification of TDS 340, S/N: $serial" ]; then
      problem="the log's first line is '$first', not the winner's header"
    elif [ "$(wc -l <"$log")" -ne "$(wc -l <"$scratch/$winner.out")" ]; then
      problem="the log has $(wc -l <"$log") lines, the winner printed $(wc -l <"$scratch/$winner.out")"
    elif [ "$(cat "$folder/$name.tst")" != " 1  0  0  0  0 " ]; then
      problem="the status file reads '$(cat "$folder/$name.tst")'"
    elif ! grep -q "The log $name " "$scratch/$loser.err"; then
      problem="the refused run did not name the log"
    fi
  fi
  if [ -n "$problem" ]; then
    lost=$((lost + 1))
    echo "round $round: $problem" >&2
    sed 's/^/  a: /' "$scratch/a.err" | tail -n 5 >&2
    sed 's/^/  b: /' "$scratch/b.err" | tail -n 5 >&2
  fi
  round=$((round + 1))
done

if [ "$lost" -eq 0 ]; then
  echo "$rounds rounds: every log kept whole, every second run refused by name"
  exit 0
fi
echo "$lost of $rounds rounds lost or mixed a log" >&2
exit 1
