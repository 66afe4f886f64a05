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
# The replay must fail with exit code 1 and a message matching the pattern.
refused() {
    status=0
    "$pomvex" --verify-replay "$1" >out 2>&1 || status=$?
    cat out
    [ "$status" -eq 1 ] || fail "$3 gave exit code $status"
    grep -q "$2" out || fail "$3: no message matching '$2'"
}

for replay in "$@"; do
    "$pomvex" --verify-replay "$replay" >out 2>&1 || { cat out; fail "$replay did not verify"; }
    cat out
    grep -q '^checkpoints: all [0-9]* matched$' out || fail "$replay: no checkpoint line"
    grep -q '^result: ' out || fail "$replay: no result line"
done

head -c 300 "$1" >cut.replay
refused cut.replay 'keine Wiederholung oder besch' "a cut-off replay"

# One more step to the right in the middle of the game: the game goes its
# own way and a checkpoint says where.
awk '/^runs / && !done { sub(/ [0-9]+\./, " 1.0 &"); done = 1 } { print }' "$1" >tampered.replay
refused tampered.replay 'went its own way at' "a tampered replay"
# A replay of a build that plays differently is refused before it starts.
sed 's/^behaviour .*/behaviour 0123456789abcdef/' "$1" >other.replay
refused other.replay 'anders spielt' "a replay of another build"
echo "verify-command: all passed"
