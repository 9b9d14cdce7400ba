#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# every test. Tests that need a real X server (label x11) get one from xvfb-run, then run once
# more under a window manager (openbox), as users have one.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orv_install_deps

python3 tools/check_layering.py

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON -DORV_TESTS=ON
cmake --build build/test -j"$jobs"
cd build/test
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$jobs" --no-tests=error
xvfb-run -a -s "-screen 0 1280x1024x24" ../../scripts/with-openbox.sh ctest -L x11 --output-on-failure --no-tests=error
