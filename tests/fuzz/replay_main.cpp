// Runs inputs through the harnesses' checks without libFuzzer (for
// valgrind over the system libraries): replay KIND FILE...
#include "fuzz_common.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_replay cue|toc|playlist|audio FILE...\n");
        return 2;
    }
    const std::string kind = argv[1];
    char dir[] = "/tmp/ztp-replay-XXXXXX";
    const std::string folder = mkdtemp(dir);
    for (int i = 2; i < argc; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        const std::string in = ss.str();
        if (kind == "cue" || kind == "toc") fuzzing::runSheet(in, kind == "toc");
        else if (kind == "playlist") fuzzing::runPlaylist(in);
        else fuzzing::runAudio(in, folder);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
