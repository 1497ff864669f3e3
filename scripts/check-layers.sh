#!/usr/bin/env bash
# Checks that includes run down the layers only (the README's Layout table):
# every #include "..." of a file under src/ names its own folder or one that
# its folder may use. Prints each include that runs the wrong way; exits 1 if
# there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the folders it may include, besides itself
declare -A may=(
    [core/common]=""
    [core/settings]="core/common"
    [core/tables]="core/common"
    [core/calc]="core/common core/settings core/tables"
    [core/graph]="core/common core/settings core/tables core/calc"
    [gui/widgets]="core/common core/settings core/tables core/calc core/graph"
    [gui/print]="core/common core/settings core/tables core/calc core/graph gui/widgets"
    [gui/windows]="core/common core/settings core/tables core/calc core/graph gui/widgets gui/print"
    [gui/app]="core/common core/settings core/tables core/calc core/graph gui/widgets gui/print gui/windows"
    [cli]="core/common core/settings core/tables core/calc core/graph"
)

bad=0
while IFS= read -r file; do
    folder=${file#src/}
    folder=${folder%/*}
    if [[ -z ${may[$folder]+set} ]]; then
        echo "$file: a folder that is no layer ($folder)"
        bad=1
        continue
    fi
    while IFS= read -r inc; do
        target=${inc%/*}
        [[ $inc == */* ]] || { echo "$file: includes \"$inc\" without its folder"; bad=1; continue; }
        [[ $target == "$folder" ]] && continue
        [[ " ${may[$folder]} " == *" $target "* ]] && continue
        echo "$file: includes \"$inc\", which $folder may not use"
        bad=1
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
             grep -v '^norva_version\.h$' || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)
if ((bad)); then
    echo "includes that run up the layers or sideways: see above" >&2
    exit 1
fi
echo "layers: every include runs down"
