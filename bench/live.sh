#!/usr/bin/env bash
# Runs the live benchmark (bench/live_bench.cpp) on an Xvfb display of its
# own, as a machine without a graphics card shows the game.
#
#   bench/live.sh BENCH_PROGRAM DATA_FOLDER
set -eu
bench=$1
data=$2
numberFile=$(mktemp)
# Xvfb picks a free display itself and writes its number into the file.
# The screen of a 1080p desktop: the game's window at the canvas's own size
# first, then the window every new player there gets, the desktop's size.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$numberFile"' EXIT
for _ in $(seq 150); do
    [ -s "$numberFile" ] && break
    sleep 0.1
done
number=$(head -n1 "$numberFile")
[ -n "$number" ] || { echo "Xvfb did not start" >&2; exit 1; }
# Silent, as before (this machine has no sound device), then with sound:
# SDL's disk driver writing into /dev/null takes the mixer's output at the
# pace a sound card would.
SDL_AUDIODRIVER=none DISPLAY=:$number POMVEX_XSERVER_PID=$server "$bench" "$data"
echo
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null DISPLAY=:$number POMVEX_XSERVER_PID=$server \
    "$bench" "$data"
echo
SDL_AUDIODRIVER=none DISPLAY=:$number POMVEX_XSERVER_PID=$server "$bench" "$data" 1920 1080
echo
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null DISPLAY=:$number POMVEX_XSERVER_PID=$server \
    "$bench" "$data" 1920 1080
