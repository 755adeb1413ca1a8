// libFuzzer harness: toc input through the reader (see tools/fuzz.sh).
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    fuzzing::runSheet(in, true);
    return 0;
}
