#!/usr/bin/env bash
# The Debian package as a player meets it, on a bare Debian 12 and as root:
#
#   make deb && packaging/test-deb.sh
#
# lintian looks the package over; apt installs it with what it depends on; a
# new user starts the installed game on an Xvfb display, answers the first
# start's notice and quits from the title screen; then the user's game folder
# gets scores and a power-up of their own, apt removes the package, and the
# folder must come through untouched. Leaves the machine as it found it,
# apart from the packages installed on the way.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf '== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run as root: it installs and removes the package"
debs=(build/pomvex_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single build/pomvex_*.deb; run make deb"
deb=${debs[0]}
scripts/install-deps.sh deb
export DEBIAN_FRONTEND=noninteractive

player=pomvex-tester
scratch=$(mktemp -d)
xvfb_pid=
game_pid=
made_player=
cleanup() {
    for pid in $game_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    # userdel refuses while processes of the user are still ending.
    if [ -n "$made_player" ]; then
        within 10 userdel -r "$player" || echo "could not remove the user $player" >&2
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

# Waits up to $1 seconds for a command to succeed.
within() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

say "lintian $deb"
# Every tag is shown; errors fail.
lintian_status=0
lintian --fail-on error "$deb" >"$scratch/lintian" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$scratch/lintian" || echo "no tags"
[ "$lintian_status" -eq 0 ] || fail "lintian found errors"

if dpkg-query -W -f='${Status}' pomvex 2>/dev/null | grep -q 'ok installed'; then
    fail "pomvex is installed already; remove it first"
fi
say "apt-get install ./$deb"
apt-get install -y -q "./$deb"
[ -x /usr/games/pomvex ] || fail "no /usr/games/pomvex after the install"

say "desktop data as installed"
installed=$scratch/desktop-data
mkdir "$installed"
cp /usr/share/applications/io.github.pomvex.Pomvex*.desktop \
   /usr/share/metainfo/io.github.pomvex.Pomvex.metainfo.xml "$installed"/
scripts/check-desktop-data.sh "$installed" || fail "the installed desktop data has remarks"
for page in pomvex pomvex-options powerup-editor; do
    [ "$(man -w 6 "$page")" = "/usr/share/man/man6/$page.6.gz" ] || fail "man finds no $page(6)"
done

say "a new user, $player, starts the game"
id "$player" >/dev/null 2>&1 && fail "a user $player exists already"
useradd --create-home --shell /bin/sh "$player"
made_player=yes
home=$(getent passwd "$player" | cut -d: -f6)
folder=$home/.local/share/pomvex
as_player() {
    runuser -u "$player" -- env -i HOME="$home" PATH=/usr/bin:/bin DISPLAY="${display:-}" "$@"
}

# The player's own display; Xvfb says which number it took.
runuser -u "$player" -- Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp \
    3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
within 30 test -s "$scratch/display" || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
display=:$(cat "$scratch/display")

# The command as the player's login shell finds it: /usr/games is on the
# path of every user but root.
runuser -l "$player" -c "DISPLAY=$display exec pomvex" >"$scratch/game.log" 2>&1 &
game_pid=$!

# The first start makes the options file and says so; Return answers.
notice=$(timeout 30 runuser -u "$player" -- env DISPLAY="$display" \
    xdotool search --sync --onlyvisible --name '^Optionen$' | head -n 1) || fail "no Optionen notice: $(cat "$scratch/game.log")"
as_player xdotool windowfocus --sync "$notice" key Return
within 10 sh -c "! runuser -u $player -- env DISPLAY=$display xdotool search --name '^Optionen$'" ||
    fail "the Optionen notice did not go away on Return"

# The intro fades the logo in: the window must show more than one colour.
window=$(timeout 30 runuser -u "$player" -- env DISPLAY="$display" \
    xdotool search --sync --onlyvisible --name '^Pomvex$' | head -n 1) || fail "no game window: $(cat "$scratch/game.log")"
drawn() {
    as_player xwd -silent -id "$window" >"$scratch/window.xwd" || return 1
    # XWD: a header of header_size bytes, then ncolors colour entries of 12
    # bytes each, then the pixels.
    local header_size ncolors
    header_size=$(od -An -tu4 --endian=big -j 0 -N 4 "$scratch/window.xwd" | tr -d ' ')
    ncolors=$(od -An -tu4 --endian=big -j 76 -N 4 "$scratch/window.xwd" | tr -d ' ')
    local colours
    colours=$(tail -c +$((header_size + ncolors * 12 + 1)) "$scratch/window.xwd" |
        od -An -v -tx4 -w4 | sort -u | head -n 2 | wc -l)
    [ "$colours" -ge 2 ]
}
within 20 drawn || fail "the game window stays one colour"
echo "game window $window on $display is drawn"

# Escape skips the intro when let go, and on the title screen it quits. The
# game looks at the keys once a frame, so each press is held for a while.
as_player xdotool windowfocus --sync "$window"
for _ in 1 2 3; do
    kill -0 "$game_pid" 2>/dev/null || break
    as_player xdotool keydown Escape sleep 0.3 keyup Escape sleep 0.7
done
within 20 sh -c "! kill -0 $game_pid" || fail "the game did not quit on Escape"
wait "$game_pid" || fail "the game ended with exit code $?: $(cat "$scratch/game.log")"
game_pid=

say "the game folder $folder"
for path in Data/Optionen.txt Data/Scores.txt; do
    [ -f "$folder/$path" ] || fail "no $path"
done
for path in Data/CustomPU "Eigene Smileys"; do
    [ -d "$folder/$path" ] || fail "no $path/"
done
[ -L "$folder/Data/Spieler1.bmp" ] || fail "the pictures are not linked into the game folder"

# What a player keeps: scores from a game, an own power-up and its pictures.
as_player sh -c 'cd "$1" &&
    printf "scores of a good evening\r\n" > Data/Scores.txt &&
    printf "Eigener\r\nTester\r\nHeld.png\r\nSchuss.png\r\n5\r\n4\r\n3\r\n2" > Data/CustomPU/PowerUp0.cpup &&
    printf "no real picture" > "Eigene Smileys/Held.png"' sh "$folder"
(cd "$folder" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$scratch/before"

say "apt-get remove pomvex"
apt-get remove -y -q pomvex
dpkg-query -W -f='${Status}' pomvex 2>/dev/null | grep -q 'ok installed' && fail "pomvex is still installed"
[ ! -e /usr/games/pomvex ] && [ ! -e /usr/share/pomvex ] || fail "the package left files behind"
(cd "$folder" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$scratch/after"
diff "$scratch/before" "$scratch/after" || fail "the removal changed the player's files"
grep -q 'Data/Optionen.txt' "$scratch/after" || fail "the options are gone"
echo "options, scores and own power-ups kept: $(wc -l <"$scratch/after") files"

say "the Debian package passed"
