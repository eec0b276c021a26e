// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target: clang with -DMIRVAK_FUZZ=ON. MIRVAK_FUZZ_PARSER names the
// one parser to fuzz (see fuzz/campaign.sh); unset, every parser takes each
// input.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "FuzzCoreEntry.h"

namespace {
int selected = -1;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *name = std::getenv("MIRVAK_FUZZ_PARSER");
    if (!name || !*name || std::string_view(name) == "all")
        return 0;
    selected = mirvakFuzzParserIndex(name);
    if (selected < 0) {
        std::fprintf(stderr, "unknown parser \"%s\"; one of:", name);
        for (int k = 0; k < mirvakFuzzParserCount(); ++k)
            std::fprintf(stderr, " %s", mirvakFuzzParserName(k));
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (selected < 0)
        mirvakFuzzCoreOne(data, size);
    else
        mirvakFuzzParserOne(selected, data, size);
    return 0;
}
