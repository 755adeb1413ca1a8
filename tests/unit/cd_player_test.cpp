#include <gtest/gtest.h>

#include "cd_player.h"
#include "recording_mci.h"
#include "text_forms.h"

using namespace ztp;
using B = BtnType;

namespace {

std::string names(BtnSet s) {
    static const char* const n[] = {"Play", "Pause", "Stop",   "Next", "Prev",
                                    "Step", "Back",  "Record", "Eject"};
    std::string out;
    for (int i = 0; i < kBtnCount; ++i)
        if (s.has(BtnType(i))) out += (out.empty() ? "" : " ") + std::string(n[i]);
    return out;
}

std::vector<std::string> tail(const std::vector<std::string>& v, std::size_t from) {
    return {v.begin() + static_cast<long>(from), v.end()};
}

DWORD tmsf(unsigned t, unsigned m, unsigned s, unsigned f = 0) {
    return t | m << 8 | s << 16 | f << 24;
}

const std::vector<std::string> kOpenSequence = {
    "OPEN WAIT|SHAREABLE|TYPE type=CDAudio cb=4242",
    "STATUS #7 WAIT|ITEM LENGTH",
    "GETDEVCAPS #7 WAIT|ITEM CAN_PLAY",
    "GETDEVCAPS #7 WAIT|ITEM CAN_RECORD",
    "GETDEVCAPS #7 WAIT|ITEM CAN_EJECT",
    "GETDEVCAPS #7 WAIT|ITEM HAS_VIDEO",
    "GETDEVCAPS #7 WAIT|ITEM DEVICE_TYPE",
    "WHERE #7 WAIT|SOURCE",
    "SET #7 TIME_FORMAT 10",
    "STATUS #7 WAIT|ITEM MODE",
};

}  // namespace

TEST(CdPlayer, OpenSendsTheOpeningSequence) {
    RecordingMci mci;
    CdPlayer p(mci);
    p.open(4242);
    EXPECT_EQ(mci.calls, kOpenSequence);
    EXPECT_TRUE(p.isOpen());
    EXPECT_EQ(p.deviceId(), 7u);
    EXPECT_EQ(names(p.usableButtons()), "Play Next Prev Eject");

    // Opening again closes first.
    mci.calls.clear();
    p.open(4242);
    ASSERT_EQ(mci.calls.size(), kOpenSequence.size() + 1);
    EXPECT_EQ(mci.calls[0], "CLOSE #7 WAIT");
    EXPECT_EQ(tail(mci.calls, 1), kOpenSequence);

    mci.calls.clear();
    p.close();
    EXPECT_EQ(mci.calls, std::vector<std::string>{"CLOSE #7 WAIT"});
    EXPECT_FALSE(p.isOpen());
}

TEST(CdPlayer, UsableButtonsAfterOpenFollowTheCapabilities) {
    struct Case {
        DWORD play, eject, type, mode;
        const char* want;
    } cases[] = {
        {1, 1, MCI_DEVTYPE_CD_AUDIO, MCI_MODE_STOP, "Play Next Prev Eject"},
        {1, 0, MCI_DEVTYPE_CD_AUDIO, MCI_MODE_STOP, "Play Next Prev"},
        {0, 1, MCI_DEVTYPE_CD_AUDIO, MCI_MODE_OPEN, "Next Prev Eject"},
        {1, 1, MCI_DEVTYPE_VCR, MCI_MODE_STOP, "Play Next Prev Step Back Eject"},
        {1, 1, MCI_DEVTYPE_CD_AUDIO, MCI_MODE_PLAY, "Pause Stop Next Prev Eject"},
    };
    for (const Case& c : cases) {
        RecordingMci mci;
        mci.caps = {{MCI_GETDEVCAPS_CAN_PLAY, c.play},
                    {MCI_GETDEVCAPS_CAN_EJECT, c.eject},
                    {MCI_GETDEVCAPS_DEVICE_TYPE, c.type}};
        mci.mode = c.mode;
        CdPlayer p(mci);
        p.open(1);
        EXPECT_EQ(names(p.usableButtons()), c.want) << c.type << " " << c.mode;
    }
}

TEST(CdPlayer, ErrorTexts) {
    RecordingMci mci;
    mci.failures[kOpenSequence[0]] = 275;
    mci.texts[275] = "ドライブがありません";
    CdPlayer p(mci);
    auto openMessage = [&] {
        try {
            p.open(4242);
        } catch (const EMCIDeviceError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(openMessage(), "ドライブがありません");
    EXPECT_EQ(mci.calls.size(), 1u);
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.lastError(), 275u);
    mci.texts.clear();
    EXPECT_EQ(openMessage(), "原因不明のｴﾗｰ");

    // Operations that need the open device.
    auto noDevice = [&](auto f) {
        try {
            f();
        } catch (const EMCIDeviceError& e) {
            return std::string(e.what()) == "MCI ﾃﾞﾊﾞｲｽがありません";
        }
        return false;
    };
    EXPECT_TRUE(noDevice([&] { p.trackCount(); }));
    EXPECT_TRUE(noDevice([&] { p.discLength(); }));
    EXPECT_TRUE(noDevice([&] { p.trackLength(1); }));
    mci.failures.clear();
    p.open(1);
    p.close();
    EXPECT_TRUE(noDevice([&] { p.click(B::btPlay); }));
    // The mode query has no such check.
    EXPECT_EQ(p.mode(), mpStopped);
}

TEST(CdPlayer, ReadinessAndFailedQueries) {
    RecordingMci mci;
    CdPlayer p(mci);
    p.open(1);
    const bool want[] = {false, true, true, true, false, true, false};
    for (DWORD m = MCI_MODE_NOT_READY; m <= MCI_MODE_OPEN; ++m) {
        mci.mode = m;
        EXPECT_EQ(p.mode(), m - 524);
        EXPECT_EQ(p.ready(), want[m - 524]) << m;
    }
    mci.mode = MCI_MODE_STOP;
    mci.trackLengths.assign(300, packMsf(3, 59, 74));  // the count keeps its low 8 bits
    mci.discLength = packMsf(70, 1, 2);
    EXPECT_EQ(p.trackCount(), 300 & 0xFF);
    EXPECT_EQ(p.discLength(), packMsf(70, 1, 2));
    EXPECT_EQ(CdTimeToSec(p.trackLength(2)), 239);

    mci.failures["STATUS #7 WAIT|ITEM MODE"] = 1;
    mci.failures["STATUS #7 WAIT|ITEM TRACKS"] = 1;
    mci.failures["STATUS #7 WAIT|ITEM LENGTH"] = 1;
    mci.failures["STATUS #7 WAIT|TRACK|ITEM LENGTH 2"] = 1;
    EXPECT_EQ(p.mode(), mpNotReady);
    EXPECT_FALSE(p.ready());
    EXPECT_EQ(p.trackCount(), 0);
    EXPECT_EQ(p.discLength(), 0u);
    EXPECT_EQ(p.trackLength(2), 0u);
}

TEST(CdPlayer, NextAndPreviousCommandSequences) {
    struct Case {
        const char* name;
        B button;
        DWORD mode, position;
        std::vector<std::string> want;
    } cases[] = {
        {"next, stopped",
         B::btNext,
         MCI_MODE_STOP,
         tmsf(2, 1, 23, 5),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|ITEM TRACKS",
          "STATUS #7 WAIT|TRACK|ITEM POSITION 3", "STATUS #7 WAIT|ITEM MODE",
          "SEEK #7 WAIT|TO 00000003"}},
        {"next on the last track",
         B::btNext,
         MCI_MODE_STOP,
         tmsf(3, 0, 10),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|ITEM TRACKS",
          "STATUS #7 WAIT|TRACK|ITEM POSITION 3", "STATUS #7 WAIT|ITEM MODE",
          "SEEK #7 WAIT|TO 00000003"}},
        {"next, playing",
         B::btNext,
         MCI_MODE_PLAY,
         tmsf(1, 0, 0),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|ITEM TRACKS",
          "STATUS #7 WAIT|TRACK|ITEM POSITION 2", "STATUS #7 WAIT|ITEM MODE",
          "PLAY #7 NOTIFY|FROM 00000002 cb=99"}},
        {"prev within the first second",
         B::btPrev,
         MCI_MODE_STOP,
         tmsf(2, 0, 0, 40),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|TRACK|ITEM POSITION 2",
          "STATUS #7 WAIT|TRACK|ITEM POSITION 1", "STATUS #7 WAIT|ITEM MODE",
          "SEEK #7 WAIT|TO 00000001"}},
        {"prev later in the track",
         B::btPrev,
         MCI_MODE_STOP,
         tmsf(2, 0, 1),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|TRACK|ITEM POSITION 2",
          "STATUS #7 WAIT|ITEM MODE", "SEEK #7 WAIT|TO 00000002"}},
        {"prev at the start of track 1",
         B::btPrev,
         MCI_MODE_PLAY,
         tmsf(1, 0, 0),
         {"STATUS #7 WAIT|ITEM POSITION", "STATUS #7 WAIT|TRACK|ITEM POSITION 1",
          "STATUS #7 WAIT|ITEM MODE", "PLAY #7 NOTIFY|FROM 00000001 cb=99"}},
    };
    for (const Case& c : cases) {
        RecordingMci mci;
        mci.trackLengths = {packMsf(3, 0), packMsf(4, 0), packMsf(5, 0)};
        mci.mode = c.mode;
        mci.position = c.position;
        CdPlayer p(mci);
        p.open(99);
        const std::size_t before = mci.calls.size();
        p.click(c.button);
        EXPECT_EQ(tail(mci.calls, before), c.want) << c.name;
        const bool played = c.mode == MCI_MODE_PLAY;
        EXPECT_EQ(p.usable(B::btStop), played) << c.name;
        EXPECT_EQ(p.usable(B::btPlay), !played) << c.name;
    }
}

TEST(CdPlayer, TransportCommandsAndUsableSet) {
    RecordingMci mci;
    CdPlayer p(mci);
    int changes = 0;
    p.onUsableChanged = [&] { ++changes; };
    p.open(5);
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> sent;
        const char* usable;
    } steps[] = {
        {"play",
         [&] { p.click(B::btPlay); },
         {"PLAY #7 NOTIFY cb=5"},
         "Pause Stop Next Prev Eject"},
        {"play is not usable now", [&] { p.click(B::btPlay); }, {}, "Pause Stop Next Prev Eject"},
        {"notify while still playing",
         [&] {
             mci.mode = MCI_MODE_PLAY;
             p.notify();
         },
         {"STATUS #7 WAIT|ITEM MODE"},
         "Pause Stop Next Prev Eject"},
        {"notify at the end",
         [&] {
             mci.mode = MCI_MODE_STOP;
             p.notify();
         },
         {"STATUS #7 WAIT|ITEM MODE"},
         "Play Next Prev Eject"},
        {"play again",
         [&] { p.click(B::btPlay); },
         {"PLAY #7 NOTIFY cb=5"},
         "Pause Stop Next Prev Eject"},
        {"a failed stop changes nothing",
         [&] {
             mci.failures["STOP #7 WAIT"] = 1;
             p.click(B::btStop);
         },
         {"STOP #7 WAIT"},
         "Pause Stop Next Prev Eject"},
        {"stop",
         [&] {
             mci.failures.clear();
             p.click(B::btStop);
         },
         {"STOP #7 WAIT"},
         "Play Next Prev Eject"},
        {"step and back send nothing",
         [&] {
             p.click(B::btStep);
             p.click(B::btBack);
         },
         {},
         "Play Next Prev Eject"},
        {"eject", [&] { p.click(B::btEject); }, {"SET #7 WAIT|DOOR_OPEN"}, "Play Next Prev Eject"},
    };
    for (const Step& s : steps) {
        const std::size_t before = mci.calls.size();
        s.act();
        EXPECT_EQ(tail(mci.calls, before), s.sent) << s.what;
        EXPECT_EQ(names(p.usableButtons()), s.usable) << s.what;
    }
    EXPECT_GE(changes, 5);
}
