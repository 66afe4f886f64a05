#!/usr/bin/env bash
# Fails when a file includes from a layer above its own, or when game code
# other than the frame source reads a device. The layers, lowest first; each
# names what its files may include besides their own folder:
#
#   base                          the standard library only
#   datafiles, media, net         base (side by side: none needs another)
#   game                          base, datafiles, media, net
#   tool_window                   base
#   options_tool, powerup_editor  base, datafiles, tool_window
#   test_support                  base (helpers for tests, never shipped)
#   art                           nothing of ours
#   bench, fuzz, packaging        anything but tests/
#   tests                         anything
#
#   scripts/check-layers.sh [ROOT]      (default: the project's root)
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

declare -A allowed=(
    [base]=""
    [datafiles]="base"
    [media]="base"
    [net]="base"
    [game]="base datafiles media net"
    [tool_window]="base"
    [options_tool]="base datafiles tool_window"
    [powerup_editor]="base datafiles tool_window"
    [test_support]="base"
    [art]=""
    [bench]="base datafiles media net game test_support"
    [fuzz]="base datafiles media net game test_support"
    [packaging]="base datafiles media net game test_support"
    [tests]="*"
)

broken=0
checked=0
# A new folder of code must take its place in the table first.
for dir in */; do
    dir=${dir%/}
    [[ $dir == build* ]] && continue
    [ -n "${allowed[$dir]+set}" ] && continue
    if [ -n "$(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) -print -quit)" ]; then
        echo "$dir/: a folder of code without a layer in scripts/check-layers.sh"
        broken=1
    fi
done
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)"'
while IFS= read -r hit; do
    file=${hit%%:*}
    [[ ${hit#*:} =~ $pattern ]] || continue
    path=${BASH_REMATCH[1]}
    from=${file%%/*}
    checked=$((checked + 1))
    [[ $path == */* ]] || continue  # beside the file itself
    to=${path%%/*}
    [ "$to" = "$from" ] && continue
    [ "${allowed[$from]}" = "*" ] && continue
    case " ${allowed[$from]} " in *" $to "*) continue ;; esac
    echo "$file: includes \"$path\", but $from may include only from: ${allowed[$from]:-(nothing of ours)}"
    broken=1
done < <(grep -rHE --include='*.cpp' --include='*.h' "$pattern" "${!allowed[@]}")

# The game hears its players only through the frame-input record. The one
# source that fills it from the devices (with the pads' mapping beside it)
# is the only game code that may ask them.
devices='(^|[^[:alnum:]_])(readKeyboard|readMouse|pollWindowEvents|padState|padWentAway|takeTypedText)[[:space:]]*\('
while IFS= read -r hit; do
    case $hit in game/session/frame_source.cpp:* | game/shell/pads.cpp:*) continue ;; esac
    echo "$hit: reads a device; the game reads the frame input in use instead"
    broken=1
done < <(grep -rnE --include='*.cpp' --include='*.h' "$devices" game)

if [ "$broken" -ne 0 ]; then
    echo "check-layers: the layers are broken (see above)"
    exit 1
fi
echo "check-layers: $checked includes, none crosses a layer upward"
