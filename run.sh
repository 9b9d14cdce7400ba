#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orv_install_deps

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_TESTS=OFF
cmake --build build/release -j"$(nproc)"
exec build/release/orvanta "$@"
