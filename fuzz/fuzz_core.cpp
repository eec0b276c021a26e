// libFuzzer target: clang with -DMIRVAK_FUZZ=ON.
#include "FuzzCoreEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    mirvakFuzzCoreOne(data, size);
    return 0;
}
