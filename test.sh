#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds everything under AddressSanitizer/UBSan and runs every test through CTest.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
. scripts/deps.sh
mirvak_need_packages "${MIRVAK_TEST_PACKAGES[@]}"
cmake --preset asan
cmake --build --preset asan
# The link's two performance figures, measured against the simulated phone.
build/asan/bench/link_bench || echo "link_bench failed (figures not measured)"
# A whole SIM book read against its wire time at 9600 baud.
build/asan/bench/pb_bench || echo "pb_bench failed (figures not measured)"
# Fifteen stored messages read with AT+CMGL and location by location, against their wire time.
build/asan/bench/inbox_bench || echo "inbox_bench failed (figures not measured)"
# A whole-phone backup against its wire time, and its SIM book read in ranges.
build/asan/bench/backup_bench || echo "backup_bench failed (figures not measured)"
# The melody player's timing and CPU share with the silent tone backend.
build/asan/bench/tone_bench || echo "tone_bench failed (figures not measured)"
# Memory and open descriptors over many exchanges and message sends.
build/asan/bench/soak_bench || echo "soak_bench failed (figures not measured)"
# The message archive at 100 000 messages: storing a read, searching, opening the view.
build/asan/bench/archive_bench || echo "archive_bench failed (figures not measured)"
# Start to window shown and closed, and peak memory, of the whole program.
build/asan/bench/startup_bench || echo "startup_bench failed (figures not measured)"
# One test a core at a time; the longest start first.
ctest --preset asan -j"$(nproc)" "$@"
