#!/usr/bin/env bash
# The scheduler driving the stand-in recording program under Wine; ./run demo
# calls it once Wine (and, without a display, Xvfb) is running.
#   demo.sh DIST_FOLDER DEMO_FOLDER [SCREENSHOT.png]
# DEMO_FOLDER is made afresh as the scheduler's settings folder, with one
# schedule entry that opens 6 seconds from now and lasts 5 seconds. WINE names
# the Wine loader of the programs' architecture (./run sets it).
set -euo pipefail
wine=${WINE:-wine}

dist=$(cd "$1" && pwd)
demo=$2
screenshot=${3:-}
title=Lumora
opens_in=6
lasts=5
standin_seconds=16

rm -rf "$demo"
mkdir -p "$demo"
demo=$(cd "$demo" && pwd)

# Wine runs on the Linux local time, and the schedule holds local times.
now=$(date +%s)
local_time() { LC_ALL=C date -d "@$1" '+%b %d,%Y %I:%M:%S %p'; }
start=$(local_time $((now + opens_in)))
end=$(local_time $((now + opens_in + lasts)))
printf '%s\r\n' "Demo recording URL: http://example.com/live START: $start END: $end REPEAT: Once PROG: Player WND: 10,10,460,250" \
  >"$demo/schedule.log"
echo "schedule.log: $(tr -d '\r' <"$demo/schedule.log")"

windows_path() { timeout 60 "$wine" winepath -w "$1" 2>/dev/null; }
ormidal=$(windows_path "$dist/Ormidal.exe")
folder=$(windows_path "$demo")

out="$demo/standin.txt"
: >"$out"
timeout $((standin_seconds + 30)) "$wine" "$dist/recorder-standin.exe" "$title" \
  /start "\"$ormidal\" /w $title /dir \"$folder\"" /seconds "$standin_seconds" \
  >"$out" 2>&1 </dev/null &
standin=$!
tail -n +1 -f --pid="$standin" "$out" | tr -d '\r' &
follower=$!

# Bounded poll for a line of the stand-in's output.
wait_for_line() { # pattern, seconds
  local i
  for i in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$out" && return 0
    kill -0 "$standin" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

if [ -n "$screenshot" ]; then
  if wait_for_line 'start request:' $((opens_in + 15)); then
    # Give the windows a moment to move and paint.
    sleep 1
    import -window root "$screenshot"
    # Then the user opens the Scheduled Events list.
    list_shot="${screenshot%.png}-list.png"
    timeout 30 "$wine" "$dist/demo-driver.exe" click "Schedule $title Recordings..." 1015 || true
    if timeout 30 "$wine" "$dist/demo-driver.exe" wait "Scheduled Events" 5; then
      sleep 1
      import -window root "$list_shot"
    fi
    shot_taken=1
  fi
fi

status=0
wait "$standin" || status=$?
wait "$follower" 2>/dev/null || true
if [ "$status" -ne 0 ]; then
  echo "the stand-in recording program failed (exit status $status)" >&2
  exit 1
fi
starts=$(grep -c '^[0-9:.]* start request:' "$out" || true)
stops=$(grep -c '^[0-9:.]* stop request' "$out" || true)
echo "== the stand-in received $starts start and $stops stop requests (expected 1 and 1)"
if [ -n "${shot_taken:-}" ]; then
  echo "== screenshots taken while recording: $screenshot (the dialog), $list_shot (the list)"
fi
[ "$starts" -eq 1 ] && [ "$stops" -eq 1 ]
