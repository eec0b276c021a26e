#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Mirvak and starts it with the simulated phone on COM1.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
. scripts/deps.sh
mirvak_need_packages
cmake --preset release >/dev/null
# Only the two programs it starts: the tests are ./test.sh's business.
cmake --build --preset release --target mirvak mirvak-phonesim
# Mirvak keeps its book file in the working folder; keep it out of the sources.
mkdir -p build/run
cd build/run
exec "$here/build/release/src/app/mirvak" --demo "$@"
