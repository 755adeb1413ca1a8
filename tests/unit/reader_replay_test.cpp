// The fuzz harnesses' checks over a fixed set of mutated seeds, in the
// normal tests (and so under ASan and UBSan): every input is read or
// refused in one line, and what is read prints as a disc file that reads
// back to the same disc.
#include <gtest/gtest.h>

#include "fuzz_common.h"

TEST(ReaderReplay, MutatedSheetsPlaylistsAndAudioFilesAreReadOrRefusedInOneLine) {
    fuzzing::Mutator m(24);
    for (const std::string& seed : fuzzing::cueSeeds())
        for (int i = 0; i < 1500; ++i) fuzzing::runSheet(m.mutate(seed), false);
    for (const std::string& seed : fuzzing::tocSeeds())
        for (int i = 0; i < 1500; ++i) fuzzing::runSheet(m.mutate(seed), true);
    for (const std::string& seed : fuzzing::playlistSeeds())
        for (int i = 0; i < 1000; ++i) fuzzing::runPlaylist(m.mutate(seed));
    char name[] = "/tmp/ztp-replay-XXXXXX";
    const std::string folder = mkdtemp(name);
    for (const std::string& seed : fuzzing::audioSeeds()) {
        // Headers mutated: the first 512 bytes.
        for (int i = 0; i < 60; ++i) {
            const std::string cut = seed.size() > 512 ? seed.substr(0, 512) : seed;
            fuzzing::runAudio(m.mutate(cut) + seed.substr(cut.size()), folder);
        }
    }
    std::filesystem::remove_all(folder);
    SUCCEED();
}
