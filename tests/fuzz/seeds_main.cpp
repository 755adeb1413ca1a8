// Writes the seed corpora the harnesses start from: seeds DIR makes
// DIR/cue, DIR/toc, DIR/playlist and DIR/audio.
#include "fuzz_common.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const std::pair<const char*, std::vector<std::string>> sets[] = {
        {"cue", fuzzing::cueSeeds()},
        {"toc", fuzzing::tocSeeds()},
        {"playlist", fuzzing::playlistSeeds()},
        {"audio", fuzzing::audioSeeds()}};
    for (const auto& [name, seeds] : sets) {
        fs::create_directories(fs::path(argv[1]) / name);
        for (std::size_t i = 0; i < seeds.size(); ++i)
            std::ofstream(fs::path(argv[1]) / name / ("seed" + std::to_string(i)), std::ios::binary)
                << seeds[i];
    }
    return 0;
}
