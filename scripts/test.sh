#!/usr/bin/env bash
# Installs what is missing, builds norva and runs every test. NORVA_CMAKE_ARGS
# adds options to the build (CI: warnings as errors).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# shellcheck disable=SC2086
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release ${NORVA_CMAKE_ARGS:-}
cmake --build build
ctest --test-dir build --output-on-failure -j2
