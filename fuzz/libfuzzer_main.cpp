// Built once per target with DABRO_FUZZ_TARGET naming its entry.
#include "fuzz/fuzz_target.h"

#ifndef DABRO_FUZZ_TARGET
#error "DABRO_FUZZ_TARGET must name the target"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return dabro::fuzz::DABRO_FUZZ_TARGET(dabro::fuzz::Input(data, size));
}
