#!/usr/bin/env bash
# Runs the tools' end-to-end tests RUNS times in a row (default 10) while the
# rest of the suite runs over and over beside them, so that a test waiting on
# a fixed pause instead of on what it checks shows up. Needs a built build/.
#
#   scripts/loaded-tool-tests.sh [RUNS]
set -u
cd "$(dirname "$0")/.."
runs=${1:-10}
tools='PowerUpEditor|Options'
(while :; do ctest --test-dir build -E "$tools" -j4 >/dev/null 2>&1; done) &
load=$!
trap 'pkill -P $load; kill $load 2>/dev/null' EXIT
passed=0
for i in $(seq "$runs"); do
    if ctest --test-dir build -R "$tools" -j4 >"build/loaded-tool-tests-$i.log" 2>&1; then
        passed=$((passed + 1))
        echo "run $i: all passed"
    else
        echo "run $i: failures, see build/loaded-tool-tests-$i.log"
        grep -E '\*\*\*Failed' "build/loaded-tool-tests-$i.log"
    fi
done
echo "$passed of $runs runs passed"
[ "$passed" -eq "$runs" ]
