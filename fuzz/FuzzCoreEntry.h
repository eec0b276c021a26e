#pragma once
// One input through every parser of untrusted bytes (phone replies, frame
// bodies, the book file, typed numbers and texts). Shared by the libFuzzer
// target and the core_fuzz_smoke test; a broken invariant aborts.
#include <cstddef>
#include <cstdint>

void mirvakFuzzCoreOne(const std::uint8_t *data, std::size_t size);
