// A libFuzzer target: QUILLON_FUZZ_CHECK names the check of FuzzCheck.h that
// every input goes through. A failed check is a finding: told, then abort.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "checks/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        quillon::fuzz::QUILLON_FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const quillon::fuzz::CheckFailure& failure) {
        std::fprintf(stderr, "check failed: %s\n", failure.what.c_str());
        std::abort();
    }
    return 0;
}
