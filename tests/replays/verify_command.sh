#!/bin/sh
# pomvex --verify-replay as a player runs it, in a game folder of its own:
# each good replay passes with exit code 0 and says so; a damaged one and
# one that was tampered with fail with exit code 1 and a reason.
#
#   verify_command.sh POMVEX PICTURE_FOLDER REPLAY...
set -eu
pomvex=$1
pictures=$2
shift 2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/Data/CustomPU" "$folder/Eigene Smileys"
for picture in "$pictures"/*.bmp "$pictures"/*.png "$pictures"/*.jpg; do
    ln -s "$picture" "$folder/Data/"
done
cd "$folder"
fail() { echo "FAILED: $*" >&2; exit 1; }

for replay in "$@"; do
    "$pomvex" --verify-replay "$replay" >out 2>&1 || { cat out; fail "$replay did not verify"; }
    cat out
    grep -q '^checkpoints: all [0-9]* matched$' out || fail "$replay: no checkpoint line"
    grep -q '^result: ' out || fail "$replay: no result line"
done

head -c 300 "$1" >cut.replay
status=0
"$pomvex" --verify-replay cut.replay >out 2>&1 || status=$?
cat out
[ "$status" -eq 1 ] || fail "a cut-off replay gave exit code $status"
grep -q 'keine Wiederholung oder besch' out || fail "a cut-off replay gave no reason"

# One more step to the right in the middle of the game: the game goes its
# own way and a checkpoint says where.
awk '/^runs / && !done { sub(/ [0-9]+\./, " 1.0 &"); done = 1 } { print }' "$1" >tampered.replay
status=0
"$pomvex" --verify-replay tampered.replay >out 2>&1 || status=$?
cat out
[ "$status" -eq 1 ] || fail "a tampered replay gave exit code $status"
grep -q 'went its own way at' out || fail "a tampered replay named no checkpoint"
# A replay of a build that plays differently is refused before it starts.
sed 's/^behaviour .*/behaviour 0123456789abcdef/' "$1" >other.replay
status=0
"$pomvex" --verify-replay other.replay >out 2>&1 || status=$?
cat out
[ "$status" -eq 1 ] || fail "a replay of another build gave exit code $status"
grep -q 'anders spielt' out || fail "a replay of another build was not refused"
echo "verify-command: all passed"
