// libFuzzer harness: audio input through the reader (see tools/fuzz.sh).
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    static const std::string folder = [] {
        char name[] = "/tmp/ztp-fuzz-audio-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    fuzzing::runAudio(in, folder);
    return 0;
}
