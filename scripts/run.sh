#!/usr/bin/env bash
# Installs what tambrel needs, builds every program (tambrel, tambrel-render, tambrel-soundset)
# and runs tambrel in the current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DTAMBREL_TESTS=OFF -DTAMBREL_BENCH=OFF
cmake --build "$root/build-release" -j"$(nproc)" # every program
exec "$root/build-release/app/tambrel"
