#!/usr/bin/env bash
# Reads each instrument type from the simulator twice: once with the Linux
# tool on the pseudo-terminal, once with travimo.exe under Wine through COM5
# mapped onto the same kind of pseudo-terminal. The records must be the same.
# Usage: read_over_com5.sh LINUX_BIN_DIR WINDOWS_BIN_DIR (WINEPREFIX set, server running)
set -uo pipefail

linux_bin=$1
windows_bin=$2
wine=${TRAVIMO_WINE:-wine}
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
com5=$WINEPREFIX/dosdevices/com5
work=$(mktemp -d)
simulator=
cleanup() {
  [[ -n $simulator ]] && kill "$simulator" 2>/dev/null && wait "$simulator" 2>/dev/null
  rm -f "$com5"
  rm -rf "$work"
}
trap cleanup EXIT

# Starts the simulator with the port reachable as COM5; waits for the link.
start_simulator() {
  rm -f "$com5"
  "$linux_bin/travimo-sim" --mode "$1" --scans 3 --link "$com5" \
    >"$work/sim.out" 2>"$work/sim.err" &
  simulator=$!
  for _ in $(seq 100); do [[ -L $com5 ]] && return 0; sleep 0.05; done
  echo "the simulator did not start" >&2
  return 1
}

stop_simulator() {
  kill "$simulator" 2>/dev/null
  wait "$simulator" 2>/dev/null
  simulator=
}

passed=0
failed=0
for type in lorvex ostrel brevane; do
  start_simulator "$type" || { failed=$((failed + 1)); continue; }
  "$linux_bin/travimo" read --device "$com5" --type "$type" --format json \
    >"$work/linux.json" 2>"$work/linux.err"
  linux_status=$?
  stop_simulator

  start_simulator "$type" || { failed=$((failed + 1)); continue; }
  "$wine" "$windows_bin/travimo.exe" read --port 5 --type "$type" --format json \
    >"$work/windows.json" 2>"$work/windows.err"
  windows_status=$?
  stop_simulator

  # The metadata names each program's own device and time; the records must match.
  jq -S .records "$work/linux.json" >"$work/linux.records.json" 2>/dev/null
  tr -d '\r' <"$work/windows.json" | jq -S .records >"$work/windows.records.json" 2>/dev/null
  if [[ $linux_status -eq 0 && $windows_status -eq 0 && -s $work/linux.records.json ]] &&
    cmp -s "$work/linux.records.json" "$work/windows.records.json"; then
    echo "PASS $type: the same records over COM5 as on Linux"
    passed=$((passed + 1))
  else
    echo "FAIL $type: Linux exit $linux_status, Windows exit $windows_status"
    cat "$work/linux.err" "$work/windows.err"
    diff "$work/linux.records.json" "$work/windows.records.json" | head -20
    failed=$((failed + 1))
  fi
done

echo "windows-e2e: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
