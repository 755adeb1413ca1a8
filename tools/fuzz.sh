#!/usr/bin/env bash
# Fuzzes the readers: each libFuzzer harness (built by make fuzz, with ASan
# and UBSan) for its share of the minutes, from seeds the tests make, then
# replays what each corpus holds under valgrind (the system libraries'
# part: libsndfile and TagLib are not instrumented).
# Usage: tools/fuzz.sh [BUILD] [MINUTES] [KIND...]
set -eu
build=${1:-build}
minutes=${2:-20}
shift $(( $# > 2 ? 2 : $# ))
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(cue toc playlist audio)
work=$build/fuzz/run
# What the libraries keep until the process ends is theirs, not a leak.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp:print_suppressions=0"
mkdir -p "$work"
"$build/native/tests/fuzz_seeds" "$work/seeds"
seconds=$(( minutes * 60 / ${#kinds[@]} ))
status=0
for kind in "${kinds[@]}"; do
  corpus=$work/corpus/$kind
  mkdir -p "$corpus" "$work/artifacts/$kind"
  echo "=== fuzz_$kind: $seconds s"
  set +e
  nice "$build/fuzz/tests/fuzz/fuzz_$kind" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/artifacts/$kind/" \
    "$corpus" "$work/seeds/$kind" >"$work/$kind.log" 2>&1
  rc=$?
  set -e
  grep -E '^stat::number_of_executed_units|^stat::peak_rss|^#[0-9]+.*DONE|ERROR|SUMMARY' "$work/$kind.log" || true
  artifacts=$(find "$work/artifacts/$kind" -type f | wc -l)
  echo "fuzz_$kind: exit $rc, corpus $(ls "$corpus" | wc -l) inputs, artifacts (crashes, hangs) $artifacts"
  [ "$rc" = 0 ] && [ "$artifacts" = 0 ] || status=1
  # The corpus under valgrind, at most 300 inputs, through the plain build.
  files=$(find "$corpus" "$work/seeds/$kind" -type f | head -300)
  if valgrind -q --error-exitcode=99 --suppressions="$(dirname "$0")/valgrind.supp" "$build/native/tests/fuzz_replay" "$kind" $files >"$work/$kind.valgrind" 2>&1; then
    echo "valgrind over $(echo "$files" | wc -l) $kind inputs: no errors"
  else
    echo "valgrind over $kind inputs: errors (see $work/$kind.valgrind)"; status=1
  fi
done
exit $status
