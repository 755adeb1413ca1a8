#include <gtest/gtest.h>

#include "cd_test_util.h"
#include "main_logic.h"
#include "text_forms.h"
#include "virtual_changer.h"

using namespace ztp;

namespace {

class FakeView : public MainView {
public:
    std::vector<std::string> events;
    std::vector<ViewCursor> cursors;
    SearchMode mode = SearchMode::Ryoumen;
    std::string tape;
    bool cancel = false;
    bool doneAtCancel = false;
    int waits = 0;
    std::string nextTitle = "Title";

    void showMessage(const std::string& t) override { events.push_back("message " + t); }
    std::string askTitle(const std::string& prompt, const std::string&) override {
        events.push_back("ask " + prompt);
        return nextTitle;
    }
    void setTotalTracks(const std::string& c) override { events.push_back("tracks " + c); }
    void setTotalTime(const std::string& c) override { events.push_back("time " + c); }
    void setCursor(ViewCursor c) override { cursors.push_back(c); }
    void setTapeTimeEnabled(bool on) override { events.push_back(on ? "tape on" : "tape off"); }
    SearchMode selectedMode() override { return mode; }
    std::string tapeTimeText() override { return tape; }
    void selectionChanged() override { events.push_back("selection"); }
    void sidesChanged() override { events.push_back("sides"); }
    SearchWait waitForSearch(AsyncSearch& search) override {
        ++waits;
        if (cancel) {
            doneAtCancel = search.waitFor(std::chrono::milliseconds(20));
            return SearchWait::Cancelled;
        }
        search.wait();
        return SearchWait::Completed;
    }
};

struct Window {
    explicit Window(const std::string& discs, Engine engine = Engine::Fast)
        : file(discs), changer(file.path()), player(changer), logic(player, view, engine) {
        player.open(1);
    }
    TrackTable& table() { return logic.table(); }
    TempDiscFile file;
    VirtualChanger changer;
    CdPlayer player;
    FakeView view;
    MainLogic logic;
};

const char* const kDiscs = "disc One\n4:05:40 3:58 5:30\ndisc Two\n6:12 4:44\nempty\n";
const std::string kNotReady = "message ＣＤの準備が出来ていません。";
const std::string kAsk = "ask ＣＤのタイトルを入力して下さい。";

}  // namespace

TEST(MainLogic, FormCreateReadsDiskOne) {
    Window w(kDiscs);
    w.table().DiskNo = 7;
    w.table().lstTrackSelect.add("stale");
    w.logic.FormCreate();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape off", "tracks 3", "time   13:33", kAsk, "selection"}));
    EXPECT_EQ(w.table().lstTrackSelect.texts(),
              (std::vector<std::string>{"   1.    1 -    4:05", "   1.    2 -    3:58", "   1.    3 -    5:30"}));
    EXPECT_EQ(w.table().pnlSelectKei, totalsText(3, 245 + 238 + 330));
    EXPECT_EQ(w.table().diskTitle(1), "Title");
    EXPECT_EQ(w.table().DiskNo, 2);
}

TEST(MainLogic, FormCreateWithAnEmptyDrive) {
    Window w("empty\ndisc Later\n1:00\n");
    w.logic.FormCreate();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape off", kNotReady, "selection"}));
    EXPECT_EQ(w.table().lstTrackSelect.count(), 0);
    EXPECT_EQ(w.table().pnlSelectKei, "    .    0 -    0:00");
    EXPECT_EQ(w.table().DiskNo, 1);
    // The first CD added afterwards becomes disk 1.
    w.player.click(BtnType::btEject);
    w.logic.btnTrackAddClick();
    EXPECT_EQ(w.table().lstTrackSelect.texts(), std::vector<std::string>{"   1.    1 -    1:00"});
}

TEST(MainLogic, AddDeleteAndShowButtons) {
    Window w(kDiscs);
    w.logic.FormCreate();
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> events;
        int entries, diskNo;
    } steps[] = {
        {"add the same CD again", [&] { w.logic.btnTrackAddClick(); },
         {"tracks 3", "time   13:33", kAsk, "selection"}, 6, 3},
        {"eject, then add", [&] { w.player.click(BtnType::btEject); w.logic.btnTrackAddClick(); },
         {"tracks 2", "time   10:56", kAsk, "selection"}, 8, 4},
        {"delete two", [&] {
             w.table().lstTrackSelect.setSelected(0, true);
             w.table().lstTrackSelect.setSelected(7, true);
             w.logic.btnTrackDelClick();
         }, {"selection"}, 6, 4},
        {"show", [&] { w.logic.btnCDInfoClick(); }, {"tracks 2", "time   10:56"}, 6, 4},
        {"eject to the empty drive, add", [&] { w.player.click(BtnType::btEject); w.logic.btnTrackAddClick(); },
         {kNotReady, "selection"}, 6, 4},
        {"show with no CD", [&] { w.logic.btnCDInfoClick(); }, {kNotReady}, 6, 4},
    };
    for (const Step& s : steps) {
        w.view.events.clear();
        s.act();
        EXPECT_EQ(w.view.events, s.events) << s.what;
        EXPECT_EQ(w.table().lstTrackSelect.count(), s.entries) << s.what;
        EXPECT_EQ(w.table().DiskNo, s.diskNo) << s.what;
    }
    EXPECT_EQ(w.table().lstTrackSelect.text(5), "   3.    1 -    6:12");
    EXPECT_EQ(w.table().pnlSelectKei, totalsText(6, 238 + 330 + 245 + 238 + 330 + 372));
}

TEST(MainLogic, RefusesADiskPastTheLimit) {
    Window w(kDiscs);
    w.logic.FormCreate();
    w.table().DiskNo = 31;
    w.view.events.clear();
    w.logic.btnTrackAddClick();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tracks 3", "time   13:33",
                                                       "message これ以上ＣＤを追加できません。", "selection"}));
    EXPECT_EQ(w.table().lstTrackSelect.count(), 3);
}

TEST(MainLogic, ModeButtonsSwitchTheTapeTimeControls) {
    Window w(kDiscs);
    w.logic.radAMenClick();
    w.logic.radRyoumenClick();
    w.logic.radBMenClick();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape on", "tape off", "tape on"}));
}

TEST(MainLogic, PageChangeGivesTheBlockingSplit) {
    struct Case {
        SearchMode mode;
        const char* tape;
    } cases[] = {{SearchMode::Ryoumen, "abc"}, {SearchMode::AMen, " 20 "}, {SearchMode::BMen, "20"}};
    for (const Case& c : cases) {
        Window w(kDiscs);
        w.logic.FormCreate();
        w.player.click(BtnType::btEject);
        w.logic.btnTrackAddClick();
        TrackTable blocking = w.table();
        blocking.pageChange(true, c.mode, c.tape, Engine::Fast);

        w.view.mode = c.mode;
        w.view.tape = c.tape;
        for (int visit = 0; visit < 2; ++visit) {
            w.view.events.clear();
            w.view.cursors.clear();
            w.logic.pctWizardChange(true);
            EXPECT_EQ(w.view.cursors, (std::vector<ViewCursor>{ViewCursor::HourGlass, ViewCursor::Default}));
            EXPECT_EQ(w.view.events, std::vector<std::string>{"sides"});
            EXPECT_TRUE(w.table().hasResult());
            EXPECT_EQ(w.table().lstA.texts(), blocking.lstA.texts());
            EXPECT_EQ(w.table().lstB.texts(), blocking.lstB.texts());
            EXPECT_EQ(w.table().SideA, blocking.SideA);
            EXPECT_EQ(w.table().SideB, blocking.SideB);
            EXPECT_EQ(w.table().pnlAKei, blocking.pnlAKei);
            EXPECT_EQ(w.table().pnlBKei, blocking.pnlBKei);
            EXPECT_EQ(w.table().pnlFin, blocking.pnlFin);
            // A hand move lasts until the page is left.
            w.table().lstA.setSelected(0, true);
            w.logic.sbtTrackRClick();
            EXPECT_NE(w.table().lstA.texts(), blocking.lstA.texts());
            w.view.cursors.clear();
            w.logic.pctWizardChange(false);
            EXPECT_TRUE(w.view.cursors.empty());
            EXPECT_FALSE(w.table().hasResult());
        }
    }
}

TEST(MainLogic, BadTapeTimeRaisesAfterTheCursorIsBack) {
    Window w(kDiscs);
    w.logic.FormCreate();
    w.view.mode = SearchMode::AMen;
    w.view.tape = " 4 6x ";
    w.view.events.clear();
    try {
        w.logic.pctWizardChange(true);
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'4 6x' は整数ではありません");
        EXPECT_EQ(w.view.cursors, (std::vector<ViewCursor>{ViewCursor::HourGlass, ViewCursor::Default}));
    }
    EXPECT_EQ(w.view.waits, 0);
    EXPECT_TRUE(w.view.events.empty());
    EXPECT_FALSE(w.table().hasResult());
    EXPECT_EQ(w.table().SideA[0], -1);
}

TEST(MainLogic, CancelledSearchLeavesNothingHalfWritten) {
    // 40 tracks whose lengths are multiples of 4 s can never reach a target
    // of 30 x odd minutes exactly: the literal walk does not end by itself.
    std::string discs = "disc Long\n";
    for (int i = 0; i < 40; ++i) discs += std::to_string((200 + 4 * i) / 60) + ":" +
                                          (((200 + 4 * i) % 60) < 10 ? "0" : "") +
                                          std::to_string((200 + 4 * i) % 60) + " ";
    Window w(discs + "\n", Engine::Literal);
    w.logic.FormCreate();
    w.view.mode = SearchMode::AMen;
    w.view.tape = "7";
    w.logic.pctWizardChange(true);  // a short search first: lists filled
    ASSERT_TRUE(w.table().hasResult());
    ASSERT_GT(w.table().lstA.count(), 0);
    const TrackTable before = w.table();

    w.view.tape = "101";
    w.view.cancel = true;
    w.view.events.clear();
    w.view.cursors.clear();
    w.logic.pctWizardChange(true);
    EXPECT_FALSE(w.view.doneAtCancel);
    EXPECT_EQ(w.view.cursors, (std::vector<ViewCursor>{ViewCursor::HourGlass, ViewCursor::Default}));
    EXPECT_TRUE(w.view.events.empty());
    EXPECT_FALSE(w.table().hasResult());
    TrackTable reset = before;
    reset.resetSearch();
    EXPECT_EQ(w.table().WorkList, reset.WorkList);
    EXPECT_EQ(w.table().SideA, reset.SideA);
    EXPECT_EQ(w.table().SideB, reset.SideB);
    EXPECT_EQ(w.table().BestDiff, kInitialBestDiff);
    EXPECT_EQ(w.table().lstA.texts(), before.lstA.texts());
    EXPECT_EQ(w.table().lstB.texts(), before.lstB.texts());
    EXPECT_EQ(w.table().pnlFin, before.pnlFin);
    // Moves do nothing in the "no result" state.
    w.table().lstA.setSelected(0, true);
    w.logic.sbtTrackRClick();
    EXPECT_EQ(w.table().lstA.texts(), before.lstA.texts());
}
