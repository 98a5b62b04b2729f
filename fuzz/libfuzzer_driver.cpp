// libFuzzer's entry point for one target; which one is chosen when the target is built
// (VANTREL_FUZZ_TARGET, see CMakeLists.txt).
#include <cstddef>
#include <cstdint>

#include "harness/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return VANTREL_FUZZ_TARGET(data, size);
}
