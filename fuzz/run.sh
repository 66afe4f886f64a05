#!/bin/sh
# Builds the fuzz targets of the file readers (the replays' too), the network
# messages and the picture loaders with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each for a bounded time. The picture fuzzer runs three times, from a BMP, a PNG
# and a JPEG corpus of its own.
#
#   fuzz/run.sh [SECONDS]      default 60 seconds per target
#
# Everything lands in build-fuzz/ beside the sources; corpora grow there from
# run to run. Any crash, sanitizer report, hang or broken check stops with a
# non-zero status and leaves the input in build-fuzz/findings/.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz
cxx=${CXX_FUZZ:-clang++-14}
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined -I$root"
targets="score_line scores_file cpup options"
libs="sdl2 SDL2_ttf SDL2_mixer pixman-1 libpng fontconfig"

mkdir -p "$out/obj" "$out/findings"

# The library once, instrumented for coverage but without libFuzzer's main.
objects=""
for src in "$root"/base/*.cpp "$root"/datafiles/*.cpp; do
    obj=$out/obj/$(basename "$src" .cpp).o
    $cxx $flags -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
    objects="$objects $obj"
done
for t in $targets; do
    $cxx $flags -fsanitize=fuzzer "$root/fuzz/${t}_fuzz.cpp" $objects -o "$out/${t}_fuzz"
done
# The replay reader stands on its own beside the game.
$cxx $flags -fsanitize=fuzzer "$root/fuzz/replay_fuzz.cpp" "$root/game/session/replay_file.cpp" \
    $objects -o "$out/replay_fuzz"
# So do the network messages and the rollback that takes them.
$cxx $flags -fsanitize=fuzzer "$root/fuzz/net_packet_fuzz.cpp" "$root/game/session/net_protocol.cpp" \
    "$root/game/session/rollback.cpp" -o "$out/net_packet_fuzz"

# The picture loaders: the whole media layer, as the game links it. The
# decoding libraries themselves are not instrumented, so the fuzzer sees the
# coverage of our code around them.
media_objects=""
for src in "$root"/media/*.cpp; do
    obj=$out/obj/media_$(basename "$src" .cpp).o
    $cxx $flags $(pkg-config --cflags $libs) -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
    media_objects="$media_objects $obj"
done
$cxx $flags -fsanitize=fuzzer "$root/fuzz/picture_fuzz.cpp" $media_objects $objects \
    $(pkg-config --libs $libs) -ljpeg -o "$out/picture_fuzz"
# Its starting corpora are pictures we write ourselves, intact, cut short
# and with absurd declared sizes.
$cxx -std=c++20 -O1 -I$root "$root/fuzz/picture_seeds.cpp" "$root/test_support/picture_files.cpp" \
    $(pkg-config --cflags --libs libpng zlib) -ljpeg -o "$out/picture-seeds"
"$out/picture-seeds" "$out/seeds"
for format in bmp png jpeg; do
    mkdir -p "$out/corpus/picture_$format"
    cp "$out/seeds/$format"/* "$out/corpus/picture_$format/"
done

# A few small, well-formed starting points; the fuzzer finds the rest.
seed() { mkdir -p "$out/corpus/$1"; printf "$3" > "$out/corpus/$1/$2"; }
seed score_line known '4131096985654756'
seed score_line name 'Spieler 1'
seed scores_file short '4131096985654756\r\n\r\n54756\r\n'
seed cpup start 'Held\r\nIch\r\nHeld.png\r\nSchuss.png\r\n0.0000000000\r\n4.0000000000\r\n0.0000000000\r\n0.0000000000'
seed cpup odd ' -0.75x\n.5\n+4.\n\n1e9\n'
seed options game 'Spieler 1\r\nSpieler 2\r\n1\r\n0\r\n1920\r\n1080\r\n0'
seed options odd 'a\nb\n$400\n%%101\n 1024\n768x\n1\n'
# The replays start from real ones: the golden replays and the demo.
mkdir -p "$out/corpus/replay"
cp "$root"/tests/replays/*.replay "$root/game/session/demo.replay" "$out/corpus/replay/"
# An input message of session 7: frames 0 to 2, one run of three.
seed net_packet inputs 'PX\001\004\007\000\000\000\003\000\000\000\000\000\000\000\000\000\000\000\001\003\001\000\000\000\000\000'

# A picture may declare up to 8192 x 8192 pixels, which the loader then
# allocates (a quarter gigabyte per copy); anything bigger must be refused,
# and the memory limit turns an unbounded allocation into a finding.
status=0
run() {
    name=$1
    binary=$2
    echo "== $name: $seconds s"
    if ! "$out/$binary" "$out/corpus/$name" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=65536 -print_final_stats=1 \
            -artifact_prefix="$out/findings/${name}-" > "$out/${name}.log" 2>&1; then
        status=1
        echo "!! $name found a problem; see $out/${name}.log and $out/findings/"
    fi
    grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb' "$out/${name}.log" || true
}
for t in $targets replay net_packet; do
    run "$t" "${t}_fuzz"
done
for format in bmp png jpeg; do
    run "picture_$format" picture_fuzz
done
exit $status
