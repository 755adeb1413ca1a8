#include <gtest/gtest.h>

#include "cd_test_util.h"
#include "disk_loader.h"
#include "recording_mci.h"
#include "text_forms.h"

using namespace ztp;

namespace {

struct Loader {
    Loader() : player(mci) {
        mci.trackLengths = {packMsf(4, 5, 40), packMsf(3, 59, 74)};
        mci.discLength = packMsf(8, 5, 39);
        player.open(1);
        mci.calls.clear();
    }
    RecordingMci mci;
    CdPlayer player;
    TrackTable table;
    RecordingUi ui;
};

const std::string kNotReady = "message ＣＤの準備が出来ていません。";
const std::string kFull = "message これ以上ＣＤを追加できません。";
const std::string kAsk = "ask ＣＤのタイトルを入力して下さい。 [不明]";

}  // namespace

TEST(DiskLoader, AddModeReadsTheDiscAsTheNextDisk) {
    Loader l;
    l.table.DiskNo = 2;
    EXPECT_TRUE(loadDisk(false, l.player, l.table, l.ui));
    EXPECT_EQ(l.mci.calls, (std::vector<std::string>{
                               "STATUS #7 WAIT|ITEM MODE",
                               "SET #7 TIME_FORMAT 10",
                               "STATUS #7 WAIT|ITEM TRACKS",
                               "STATUS #7 WAIT|ITEM LENGTH",
                               "STATUS #7 WAIT|TRACK|ITEM LENGTH 1",
                               "STATUS #7 WAIT|TRACK|ITEM LENGTH 2",
                           }));
    EXPECT_EQ(l.ui.events, (std::vector<std::string>{"tracks 2", "time    8:05", kAsk}));
    EXPECT_EQ(l.table.selection.texts(),
              (std::vector<std::string>{"   2.    1 -    4:05", "   2.    2 -    3:59"}));
    EXPECT_EQ(l.table.TrackTime[0], 245);
    EXPECT_EQ(l.table.TrackTime[1], 239);
    EXPECT_EQ(l.table.diskTitle(2), "Title");
    EXPECT_EQ(l.table.DiskNo, 3);

    // Entries deleted before an add do not disturb the new slots.
    l.table.selection.setSelected(0, true);
    l.table.deleteSelectedTracks();
    l.ui.nextTitle = "";
    EXPECT_TRUE(loadDisk(false, l.player, l.table, l.ui));
    EXPECT_EQ(l.table.selection.count(), 3);
    EXPECT_EQ(l.table.selection.text(1), "   3.    1 -    4:05");
    EXPECT_EQ((std::vector<int>{l.table.TrackTime[0], l.table.TrackTime[1], l.table.TrackTime[2]}),
              (std::vector<int>{239, 245, 239}));
    EXPECT_EQ(l.table.diskTitle(3), "");
}

TEST(DiskLoader, DisplayOnlyNotReadyAndEmptyDiscs) {
    struct Case {
        const char* name;
        bool displayOnly;
        DWORD mode;
        int tracks;
        bool result;
        std::vector<std::string> events;
        int entries, diskNo;
    } cases[] = {
        {"display only", true, MCI_MODE_STOP, 14, true, {"tracks 14", "time    8:05"}, 0, 1},
        {"display only while playing",
         true,
         MCI_MODE_PLAY,
         2,
         true,
         {"tracks 2", "time    8:05"},
         0,
         1},
        {"not ready", false, MCI_MODE_NOT_READY, 2, false, {kNotReady}, 0, 1},
        {"door open", true, MCI_MODE_OPEN, 2, false, {kNotReady}, 0, 1},
        {"seeking", false, MCI_MODE_SEEK, 2, false, {kNotReady}, 0, 1},
        {"no tracks", false, MCI_MODE_STOP, 0, true, {"tracks 0", "time    8:05", kAsk}, 0, 2},
        {"paused", false, MCI_MODE_PAUSE, 3, true, {"tracks 3", "time    8:05", kAsk}, 3, 2},
    };
    for (const Case& c : cases) {
        Loader l;
        l.mci.mode = c.mode;
        l.mci.trackLengths.assign(static_cast<std::size_t>(c.tracks), packMsf(1, 0));
        EXPECT_EQ(loadDisk(c.displayOnly, l.player, l.table, l.ui), c.result) << c.name;
        EXPECT_EQ(l.ui.events, c.events) << c.name;
        EXPECT_EQ(l.table.selection.count(), c.entries) << c.name;
        EXPECT_EQ(l.table.DiskNo, c.diskNo) << c.name;
        for (const std::string& call : l.mci.calls)
            EXPECT_EQ(call.find("STOP"), std::string::npos) << c.name;
    }
}

TEST(DiskLoader, RefusesDiscsPastTheTableLimits) {
    struct Case {
        int entriesBefore, diskNo, tracks;
        bool refused;
    } cases[] = {
        {2046, 5, 2, false}, {2047, 5, 2, true},  {0, 30, 2, false},
        {0, 31, 2, true},    {2048, 31, 0, true},
    };
    for (const Case& c : cases) {
        Loader l;
        for (int i = 0; i < c.entriesBefore; ++i) l.table.selection.add("x");
        l.table.DiskNo = c.diskNo;
        l.mci.trackLengths.assign(static_cast<std::size_t>(c.tracks), packMsf(1, 0));
        EXPECT_TRUE(loadDisk(false, l.player, l.table, l.ui));
        const std::string n = std::to_string(c.tracks);
        const auto want = c.refused ? std::vector<std::string>{"tracks " + n, "time    8:05", kFull}
                                    : std::vector<std::string>{"tracks " + n, "time    8:05", kAsk};
        EXPECT_EQ(l.ui.events, want) << c.entriesBefore << " " << c.diskNo;
        EXPECT_EQ(l.table.selection.count(), c.entriesBefore + (c.refused ? 0 : c.tracks));
        EXPECT_EQ(l.table.DiskNo, c.diskNo + (c.refused ? 0 : 1));
    }
}
