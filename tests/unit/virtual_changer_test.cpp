#include <gtest/gtest.h>

#include <filesystem>

#include "cd_player.h"
#include "cd_test_util.h"
#include "text_forms.h"
#include "virtual_changer.h"

using namespace ztp;
using B = BtnType;

namespace {

DWORD tmsf(unsigned t, unsigned m, unsigned s, unsigned f = 0) {
    return t | m << 8 | s << 16 | f << 24;
}

struct Rig {
    explicit Rig(const std::string& text)
        : file(text), changer(
                          file.path(), [this] { return now; },
                          [this](DWORD_PTR cb, UINT flags, MCIDEVICEID id) {
                              notes.push_back(std::to_string(cb) + ":" + std::to_string(flags) +
                                              ":" + std::to_string(id));
                          }),
          player(changer) {}
    DWORD position() {
        MCI_STATUS_PARMS p{};
        p.dwItem = MCI_STATUS_POSITION;
        EXPECT_EQ(
            changer.sendCommand(player.deviceId(), MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &p), 0u);
        return static_cast<DWORD>(p.dwReturn);
    }

    TempDiscFile file;
    std::int64_t now = 1000;
    std::vector<std::string> notes;
    VirtualChanger changer;
    CdPlayer player;
};

std::string openError(const std::string& path) {
    VirtualChanger changer(path);
    CdPlayer p(changer);
    try {
        p.open(1);
    } catch (const EMCIDeviceError& e) {
        return e.what();
    }
    return "opened";
}

std::string discFileError(const std::string& path) {
    try {
        readDiscFile(path);
    } catch (const DiscFileError& e) {
        return e.what();
    }
    return "read";
}

}  // namespace

TEST(VirtualChanger, WinePathMapping) {
    EXPECT_EQ(wineDosPath("/tmp/a b/x.disc"), "Z:\\tmp\\a b\\x.disc");
    EXPECT_EQ(wineDosPath("C:\\discs\\x.disc"), "C:\\discs\\x.disc");
    EXPECT_EQ(wineDosPath("rel/x.disc"), "rel/x.disc");
    EXPECT_EQ(wineDosPath(""), "");
}

TEST(VirtualChanger, BadDiscFileFailsTheOpenWithItsMessage) {
    TempDiscFile bad("disc X\n4:05 9:99\n");
    TempDiscFile big("disc X\n4:05\n#" + std::string(1 << 20, 'x') + "\n");
    TempDiscFile latin1("disc Caf\xe9\n4:05\n");
    TempDiscFile folder("");
    std::filesystem::remove(folder.path());
    std::filesystem::create_directory(folder.path());
    const std::string missing = bad.path() + ".missing";
    for (const std::string& path :
         {bad.path(), missing, big.path(), latin1.path(), folder.path()}) {
        const std::string want = discFileError(path);
        ASSERT_NE(want, "read");
        EXPECT_EQ(openError(path), want);
    }
    EXPECT_NE(discFileError(big.path()).find(": larger than a disc file may be (at most 1 MiB)"),
              std::string::npos);
    EXPECT_NE(discFileError(latin1.path()).find(":1: not UTF-8 text (byte 0xE9 at column 9)"),
              std::string::npos);
    EXPECT_NE(discFileError(folder.path()).find(": is a folder, not a disc file"),
              std::string::npos);
    std::filesystem::remove(folder.path());
}

TEST(VirtualChanger, EjectWalksThroughTheFile) {
    Rig r("disc One\n1:00:50 3:59:74 2:00\nempty\ndisc Two\n0:30:40\ndisc None\n");
    r.player.open(77);
    EXPECT_EQ(r.player.usableButtons(), (BtnSet{B::btPlay, B::btNext, B::btPrev, B::btEject}));
    struct Stage {
        std::uint8_t mode;
        int tracks;
        std::uint32_t disc;
        std::vector<std::int32_t> seconds;
    } stages[] = {
        {mpStopped, 3, packMsf(7, 0, 49), {60, 239, 120}},
        {mpOpen, 0, 0, {}},
        {mpStopped, 1, packMsf(0, 30, 40), {30}},
        {mpStopped, 0, 0, {}},
        {mpOpen, 0, 0, {}},  // past the last entry
        {mpOpen, 0, 0, {}},
    };
    for (std::size_t i = 0; i < std::size(stages); ++i) {
        const Stage& s = stages[i];
        EXPECT_EQ(r.player.mode(), s.mode) << i;
        EXPECT_EQ(r.player.ready(), s.mode == mpStopped) << i;
        r.player.selectTmsf();
        EXPECT_EQ(r.player.trackCount(), s.tracks) << i;
        EXPECT_EQ(r.player.discLength(), s.disc) << i;
        std::vector<std::int32_t> secs;
        for (int t = 1; t <= s.tracks; ++t) secs.push_back(CdTimeToSec(r.player.trackLength(t)));
        EXPECT_EQ(secs, s.seconds) << i;
        r.player.click(B::btEject);
        EXPECT_TRUE(r.player.usable(B::btEject));
    }
}

TEST(VirtualChanger, NextAndPreviousMoveBetweenTrackStarts) {
    Rig r("disc D\n1:00 2:00:30 0:30\n");
    r.player.open(77);
    struct Step {
        B button;
        std::int64_t advanceMs;  // clock step before the click
        DWORD want;
    } steps[] = {
        {B::btNext, 0, tmsf(2, 0, 0)},
        {B::btNext, 0, tmsf(3, 0, 0)},
        {B::btNext, 0, tmsf(3, 0, 0)},  // last track: its own start
        {B::btPrev, 0, tmsf(2, 0, 0)},  // at a start: the previous track
        {B::btPrev, 0, tmsf(1, 0, 0)},
        {B::btPrev, 0, tmsf(1, 0, 0)},  // track 1 stays
        {B::btPlay, 0, tmsf(1, 0, 0)},
        {B::btNext, 70'500, tmsf(3, 0, 0)},  // playing in track 2 at 0:10
        {B::btPrev, 10'000, tmsf(3, 0, 0)},  // 0:10 into track 3: its start
        {B::btPrev, 500, tmsf(2, 0, 0)},     // within its first second: track 2
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        r.now += steps[i].advanceMs;
        r.player.click(steps[i].button);
        EXPECT_EQ(r.position(), steps[i].want) << i;
    }
    EXPECT_EQ(r.player.mode(), mpPlaying);
    // Each new play supersedes the pending notification.
    EXPECT_EQ(r.notes, (std::vector<std::string>{"77:2:1", "77:2:1", "77:2:1"}));
}

TEST(VirtualChanger, PlayRunsUntilStopOrTheEnd) {
    Rig r("disc D\n1:00 0:30:40\n");
    r.player.open(77);
    r.player.click(B::btPlay);
    EXPECT_EQ(r.player.mode(), mpPlaying);
    r.now += 61'000;
    EXPECT_EQ(r.position(), tmsf(2, 0, 1));
    r.player.click(B::btStop);
    EXPECT_EQ(r.notes, std::vector<std::string>{"77:4:1"});  // aborted
    EXPECT_EQ(r.player.mode(), mpStopped);
    r.now += 60'000;
    EXPECT_EQ(r.position(), tmsf(2, 0, 1));

    r.player.click(B::btPlay);
    r.now += 29'000;
    r.changer.poll();
    EXPECT_EQ(r.notes.size(), 1u);
    EXPECT_TRUE(r.player.usable(B::btStop));
    r.now += 1'000;  // past 0:30:40 of track 2
    r.changer.poll();
    EXPECT_EQ(r.notes.back(), "77:1:1");  // successful
    r.player.notify();
    EXPECT_EQ(r.player.mode(), mpStopped);
    EXPECT_EQ(r.position(), tmsf(2, 0, 30, 40));
    EXPECT_EQ(r.player.usableButtons(), (BtnSet{B::btPlay, B::btNext, B::btPrev, B::btEject}));

    // Play at the end ends at once; eject while playing aborts it.
    r.player.click(B::btPlay);
    EXPECT_EQ(r.notes.back(), "77:1:1");
    r.player.click(B::btNext);  // the start of the last track
    r.player.click(B::btPlay);
    r.player.click(B::btEject);
    EXPECT_EQ(r.notes.back(), "77:4:1");
    EXPECT_EQ(r.player.mode(), mpOpen);
}
