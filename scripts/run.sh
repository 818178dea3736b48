#!/usr/bin/env bash
# Installs what tambrel needs, builds it and runs it in the current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DTAMBREL_TESTS=OFF -DTAMBREL_BENCH=OFF
cmake --build "$root/build-release" -j"$(nproc)" --target tambrel
exec "$root/build-release/app/tambrel"
