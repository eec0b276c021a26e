#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The fuzz campaign: builds fuzz_core with clang in build/fuzz, then fuzzes
# each parser alone, one after the other, for the given seconds, and prints
# a table of executions and findings.
#
#   fuzz/campaign.sh [seconds-per-parser] [parser ...]
#
# Default: 120 seconds for every parser. MIN_EXECS (default 1000000) keeps a
# parser running past its seconds until it has that many executions; 0 turns
# that off. Corpora: build/fuzz/corpus/<parser> (kept between runs, seeded
# from fuzz/seeds/<parser> when that exists). A finding is written to
# build/fuzz/findings/<parser>/ (the table counts this run's) and the
# campaign moves on to the next parser.
# Runs niced, one parser and one job at a time.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-120}
shift $(($# > 0 ? 1 : 0))
min_execs=${MIN_EXECS:-1000000}
build=${FUZZ_BUILD_DIR:-$here/build/fuzz}

CC=clang CXX=clang++ nice cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIRVAK_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null || exit 1
nice cmake --build "$build" --target fuzz_core -j2 || exit 1
bin=$build/fuzz/fuzz_core

if (($# == 0)); then
    # The parser names, as the target lists them for an unknown one.
    set -- $(MIRVAK_FUZZ_PARSER=? "$bin" -runs=0 2>&1 | sed -n 's/^unknown parser .*one of: *//p')
fi

table=()
total_findings=0
mkdir -p "$build/findings"
started=$build/findings/.campaign-start
touch "$started"
for parser in "$@"; do
    corpus=$build/corpus/$parser
    findings=$build/findings/$parser
    mkdir -p "$corpus" "$findings"
    seeds=()
    [[ -d $here/fuzz/seeds/$parser ]] && seeds=("$here/fuzz/seeds/$parser")
    log=$build/logs/$parser.log
    mkdir -p "$(dirname "$log")"
    : >"$log"
    execs=0 rounds=0 found=0 limit=(-max_total_time="$secs")
    # One process, one job: libFuzzer's default (-jobs=1 would only move the
    # output to a fuzz-0.log of its own).
    # A parser that fell short of MIN_EXECS in its time runs on for the
    # executions it still lacks.
    while :; do
        rounds=$((rounds + 1))
        MIRVAK_FUZZ_PARSER=$parser nice "$bin" "${limit[@]}" \
            -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >>"$log" 2>&1
        rc=$?
        got=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        execs=$((execs + ${got:-0}))
        if ((rc != 0)); then
            found=$((found + 1))
            echo "$parser: finding (exit $rc), see $log and $findings" >&2
            break
        fi
        if ((execs >= min_execs || rounds >= 2 || ${got:-0} == 0)); then
            break
        fi
        limit=(-runs=$((min_execs - execs)))
    done
    artifacts=$(find "$findings" -type f -newer "$started" | wc -l)
    total_findings=$((total_findings + artifacts))
    table+=("$(printf '%-14s %12d %9d %8d' "$parser" "$execs" "$artifacts" "$(ls "$corpus" | wc -l)")")
    echo "${table[-1]}" >&2
done

printf '\n%-14s %12s %9s %8s\n' parser executions findings corpus
printf '%s\n' "${table[@]}"
printf '%-14s %12s %9d\n' total "" "$total_findings"
((total_findings == 0))
