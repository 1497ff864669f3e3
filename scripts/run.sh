#!/usr/bin/env bash
# Installs what is missing, builds norva and starts it on the bundled sample log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
# A first start gets a settings file that names the sample's player.
[ -e build/bin/norva.ini ] || cp data/sample-settings.ini build/bin/norva.ini
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/norva
else
    echo "No display found: starting norva under Xvfb." >&2
    exec xvfb-run -a build/bin/norva
fi
