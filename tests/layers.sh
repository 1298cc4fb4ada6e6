#!/usr/bin/env bash
# The house's one rule of includes: each folder includes only itself and
# the layers below it, and the four side by side above the commands
# (printing, the contract, the care of the index table, the verification
# of printed sheets) never include one another. Prints every include that breaks it.
# Usage: layers.sh SOURCE_DIR
set -euo pipefail
cd "$1"
below_commands="base indexdata escalation entry"
declare -A may=(
    [base]="base"
    [indexdata]="base indexdata"
    [escalation]="base indexdata escalation"
    [entry]="$below_commands"
    [print]="$below_commands print"
    [contract]="$below_commands contract"
    [tablecare]="$below_commands tablecare"
    [verify]="$below_commands verify"
    [app]="$below_commands print contract tablecare verify app"
    [tools]="$below_commands print contract tablecare verify tools"
)
broken=0
for folder in "${!may[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file _ include; do
        target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$include")
        [ "$target" = "$include" ] && continue  # not a project folder
        if ! grep -qw -- "$target" <<<"${may[$folder]}"; then
            echo "$file includes $target/ (a $folder/ file may include only: ${may[$folder]})"
            broken=1
        fi
    done < <(grep -Hn '^#include "' "$folder"/*.h "$folder"/*.cpp 2>/dev/null || true)
done
# A folder of sources that the rule does not know would escape it.
for folder in */; do
    folder=${folder%/}
    case $folder in build* | run | out | tests | bench | man | docs | packaging | data | translations) continue ;; esac
    ls "$folder"/*.cpp "$folder"/*.h >/dev/null 2>&1 || continue
    [ -n "${may[$folder]:-}" ] || { echo "$folder/ holds sources but has no place among the layers"; broken=1; }
done
[ "$broken" = 0 ] && echo "1 passed, 0 failed"
exit "$broken"
