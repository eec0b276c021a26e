// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Untrusted bytes through the parsers (phone replies, frame bodies, the book
// file, phonebook and melody files, the melody notation, typed numbers and
// texts), each with the invariants it must keep; a broken one aborts. Shared
// by the libFuzzer target and the core_fuzz_smoke test.
#include <cstddef>
#include <cstdint>

// One input through every parser.
void mirvakFuzzCoreOne(const std::uint8_t *data, std::size_t size);

// The parsers one by one, so each can be fuzzed alone.
int mirvakFuzzParserCount();
const char *mirvakFuzzParserName(int parser); // nullptr outside 0..count-1
int mirvakFuzzParserIndex(const char *name);  // -1 for an unknown name
void mirvakFuzzParserOne(int parser, const std::uint8_t *data, std::size_t size);
