#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cd_test_util.h"
#include "main_logic.h"
#include "text_forms.h"
#include "virtual_changer.h"

using namespace ztp;

namespace {

class FakeView : public MainView, public fw::ScreenCursor {
public:
    std::vector<std::string> events;
    std::vector<fw::Cursor> cursors;
    fw::Cursor cursor = fw::Cursor::Default;
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
    void set(fw::Cursor c) override {
        cursors.push_back(c);
        cursor = c;
    }
    fw::Cursor current() const override { return cursor; }
    fw::ScreenCursor& screenCursor() override { return *this; }
    void setTapeTimeEnabled(bool on) override { events.push_back(on ? "tape on" : "tape off"); }
    SearchMode selectedMode() override { return mode; }
    std::string tapeTimeText() override { return tape; }
    void selectionChanged() override { events.push_back("selection"); }
    void sidesChanged() override { events.push_back("sides"); }
    void sidesMoved() override { events.push_back("moved"); }
    SearchWait waitForSearch(AsyncSearch& search) override {
        ++waits;
        if (cancel) {
            doneAtCancel = search.waitFor(std::chrono::milliseconds(20));
            return SearchWait::Cancelled;
        }
        search.wait();
        return SearchWait::Completed;
    }

    // The save: answers and the chosen name.
    bool sayYes = true;
    bool pickFile = true;
    std::filesystem::path saveAs;
    StandardFileSystem standardFs;
    SaveFileSystem* fs = &standardFs;
    bool askSave(const std::string& q) override {
        events.push_back("ask " + q);
        return sayYes;
    }
    bool chooseSaveFile(std::filesystem::path& name) override {
        events.push_back("dialog");
        name = saveAs;
        return pickFile;
    }
    Date today() override { return {1997, 5, 3}; }
    std::string dateSeparator() override { return "-"; }
    SaveFileSystem& fileSystem() override { return *fs; }
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
    w.table().selection.add("stale");
    w.logic.start();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape off", "tracks 3", "time   13:33", kAsk,
                                                       "selection"}));
    EXPECT_EQ(w.table().selection.texts(),
              (std::vector<std::string>{"   1.    1 -    4:05", "   1.    2 -    3:58",
                                        "   1.    3 -    5:30"}));
    EXPECT_EQ(w.table().selectionTotal, totalsText(3, 245 + 238 + 330));
    EXPECT_EQ(w.table().diskTitle(1), "Title");
    EXPECT_EQ(w.table().DiskNo, 2);
}

TEST(MainLogic, FormCreateWithAnEmptyDrive) {
    Window w("empty\ndisc Later\n1:00\n");
    w.logic.start();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape off", kNotReady, "selection"}));
    EXPECT_EQ(w.table().selection.count(), 0);
    EXPECT_EQ(w.table().selectionTotal, "    .    0 -    0:00");
    EXPECT_EQ(w.table().DiskNo, 1);
    // The first CD added afterwards becomes disk 1.
    w.player.click(BtnType::btEject);
    w.logic.addDisk();
    EXPECT_EQ(w.table().selection.texts(), std::vector<std::string>{"   1.    1 -    1:00"});
}

TEST(MainLogic, AddDeleteAndShowButtons) {
    Window w(kDiscs);
    w.logic.start();
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> events;
        int entries, diskNo;
    } steps[] = {
        {"add the same CD again",
         [&] { w.logic.addDisk(); },
         {"tracks 3", "time   13:33", kAsk, "selection"},
         6,
         3},
        {"eject, then add",
         [&] {
             w.player.click(BtnType::btEject);
             w.logic.addDisk();
         },
         {"tracks 2", "time   10:56", kAsk, "selection"},
         8,
         4},
        {"delete two",
         [&] {
             w.table().selection.setSelected(0, true);
             w.table().selection.setSelected(7, true);
             w.logic.deleteSelectedTracks();
         },
         {"selection"},
         6,
         4},
        {"show", [&] { w.logic.showDiskInfo(); }, {"tracks 2", "time   10:56"}, 6, 4},
        {"eject to the empty drive, add",
         [&] {
             w.player.click(BtnType::btEject);
             w.logic.addDisk();
         },
         {kNotReady, "selection"},
         6,
         4},
        {"show with no CD", [&] { w.logic.showDiskInfo(); }, {kNotReady}, 6, 4},
    };
    for (const Step& s : steps) {
        w.view.events.clear();
        s.act();
        EXPECT_EQ(w.view.events, s.events) << s.what;
        EXPECT_EQ(w.table().selection.count(), s.entries) << s.what;
        EXPECT_EQ(w.table().DiskNo, s.diskNo) << s.what;
    }
    EXPECT_EQ(w.table().selection.text(5), "   3.    1 -    6:12");
    EXPECT_EQ(w.table().selectionTotal, totalsText(6, 238 + 330 + 245 + 238 + 330 + 372));
}

TEST(MainLogic, RefusesADiskPastTheLimit) {
    Window w(kDiscs);
    w.logic.start();
    w.table().DiskNo = 31;
    w.view.events.clear();
    w.logic.addDisk();
    EXPECT_EQ(w.view.events,
              (std::vector<std::string>{"tracks 3", "time   13:33",
                                        "message これ以上ＣＤを追加できません。", "selection"}));
    EXPECT_EQ(w.table().selection.count(), 3);
}

TEST(MainLogic, ModeButtonsSwitchTheTapeTimeControls) {
    Window w(kDiscs);
    w.logic.chooseMode(SearchMode::AMen);
    w.logic.chooseMode(SearchMode::Ryoumen);
    w.logic.chooseMode(SearchMode::BMen);
    EXPECT_EQ(w.view.events, (std::vector<std::string>{"tape on", "tape off", "tape on"}));
}

TEST(MainLogic, PageChangeGivesTheBlockingSplit) {
    struct Case {
        SearchMode mode;
        const char* tape;
    } cases[] = {
        {SearchMode::Ryoumen, "abc"}, {SearchMode::AMen, " 20 "}, {SearchMode::BMen, "20"}};
    for (const Case& c : cases) {
        Window w(kDiscs);
        w.logic.start();
        w.player.click(BtnType::btEject);
        w.logic.addDisk();
        TrackTable blocking = w.table();
        blocking.splitSides(c.mode, c.tape, Engine::Fast);

        w.view.mode = c.mode;
        w.view.tape = c.tape;
        for (int visit = 0; visit < 2; ++visit) {
            w.view.events.clear();
            w.view.cursors.clear();
            w.logic.splitSides();
            EXPECT_EQ(w.view.cursors,
                      (std::vector<fw::Cursor>{fw::Cursor::HourGlass, fw::Cursor::Default}));
            // Emptied first, then the result.
            EXPECT_EQ(w.view.events, (std::vector<std::string>{"sides", "sides"}));
            EXPECT_TRUE(w.table().hasResult());
            EXPECT_EQ(w.table().sideListA.texts(), blocking.sideListA.texts());
            EXPECT_EQ(w.table().sideListB.texts(), blocking.sideListB.texts());
            EXPECT_EQ(w.table().SideA, blocking.SideA);
            EXPECT_EQ(w.table().SideB, blocking.SideB);
            EXPECT_EQ(w.table().sideATotal, blocking.sideATotal);
            EXPECT_EQ(w.table().sideBTotal, blocking.sideBTotal);
            EXPECT_EQ(w.table().tapeLength, blocking.tapeLength);
            // A hand move lasts until the page is left.
            w.table().sideListA.setSelected(0, true);
            w.logic.moveSelectedToSideB();
            EXPECT_NE(w.table().sideListA.texts(), blocking.sideListA.texts());
            w.view.cursors.clear();
            w.view.events.clear();
            w.logic.resetSearch();
            EXPECT_TRUE(w.view.cursors.empty());
            EXPECT_FALSE(w.table().hasResult());
            EXPECT_EQ(w.view.events, std::vector<std::string>{"sides"});
            EXPECT_EQ(w.table().sideListA.count() + w.table().sideListB.count(), 0);
            EXPECT_EQ(w.table().tapeLength, "");
        }
    }
}

TEST(MainLogic, BadTapeTimeRaisesAfterTheCursorIsBack) {
    Window w(kDiscs);
    w.logic.start();
    w.view.mode = SearchMode::AMen;
    w.view.tape = " 4 6x ";
    w.view.events.clear();
    try {
        w.logic.splitSides();
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'4 6x' は整数ではありません");
        EXPECT_EQ(w.view.cursors,
                  (std::vector<fw::Cursor>{fw::Cursor::HourGlass, fw::Cursor::Default}));
    }
    EXPECT_EQ(w.view.waits, 0);
    EXPECT_EQ(w.view.events, std::vector<std::string>{"sides"});
    EXPECT_FALSE(w.table().hasResult());
    EXPECT_EQ(w.table().SideA[0], -1);
}

TEST(MainLogic, CancelledSearchLeavesNothingHalfWritten) {
    // 40 tracks whose lengths are multiples of 4 s can never reach a target
    // of 30 x odd minutes exactly: the literal walk does not end by itself.
    std::string discs = "disc Long\n";
    for (int i = 0; i < 40; ++i)
        discs += std::to_string((200 + 4 * i) / 60) + ":" + (((200 + 4 * i) % 60) < 10 ? "0" : "") +
                 std::to_string((200 + 4 * i) % 60) + " ";
    Window w(discs + "\n", Engine::Literal);
    w.logic.start();
    w.view.mode = SearchMode::AMen;
    w.view.tape = "7";
    w.logic.splitSides();  // a short search first: lists filled
    ASSERT_TRUE(w.table().hasResult());
    ASSERT_GT(w.table().sideListA.count(), 0);
    const TrackTable before = w.table();

    w.view.tape = "101";
    w.view.cancel = true;
    w.view.events.clear();
    w.view.cursors.clear();
    w.logic.splitSides();
    EXPECT_FALSE(w.view.doneAtCancel);
    EXPECT_EQ(w.view.cursors,
              (std::vector<fw::Cursor>{fw::Cursor::HourGlass, fw::Cursor::Default}));
    EXPECT_EQ(w.view.events, std::vector<std::string>{"sides"});
    EXPECT_FALSE(w.table().hasResult());
    TrackTable reset = before;
    reset.resetSearch();
    EXPECT_EQ(w.table().WorkList, reset.WorkList);
    EXPECT_EQ(w.table().SideA, reset.SideA);
    EXPECT_EQ(w.table().SideB, reset.SideB);
    EXPECT_EQ(w.table().BestDiff, kInitialBestDiff);
    EXPECT_EQ(w.table().sideListA.count() + w.table().sideListB.count(), 0);
    EXPECT_EQ(w.table().tapeLength, "");
    // Moves do nothing in the "no result" state.
    w.table().sideListA.add("x");
    w.table().sideListA.setSelected(0, true);
    w.logic.moveSelectedToSideB();
    EXPECT_EQ(w.table().sideListB.count(), 0);
}

namespace {

// The standard file system with one step made to fail with a Windows code.
class FailingFs : public SaveFileSystem {
public:
    enum Step { None, Create, Write, Replace } failAt = None;
    int code = 0;
    StandardFileSystem realFs;
    SaveFileSystem& real = realFs;
    int createNew(const std::filesystem::path& p) override {
        return failAt == Create ? code : real.createNew(p);
    }
    int write(const std::string& b) override {
        int rc = real.write(b);
        return failAt == Write ? code : rc;
    }
    int close() override { return real.close(); }
    int replace(const std::filesystem::path& f, const std::filesystem::path& t) override {
        return failAt == Replace ? code : real.replace(f, t);
    }
    void remove(const std::filesystem::path& p) override { real.remove(p); }
    bool isDirectory(const std::filesystem::path& p) override { return real.isDirectory(p); }
};

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::size_t entriesIn(const std::filesystem::path& dir) {
    return std::distance(std::filesystem::directory_iterator(dir),
                         std::filesystem::directory_iterator());
}

}  // namespace

TEST(MainLogic, SaveFlowDecisions) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ztp_save_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "tape.ztp";
    const std::string kNotSaved = "message 保存しませんでした。";
    const std::string kQuestion = "ask 結果をファイルに保存しますか？";

    Window w(kDiscs);
    w.logic.start();
    w.view.saveAs = target;

    // No result yet: nothing asked, nothing written.
    w.view.events.clear();
    w.logic.saveResult();
    EXPECT_EQ(w.view.events, std::vector<std::string>{kNotSaved});

    w.logic.splitSides();
    ASSERT_TRUE(w.table().hasResult());
    const std::string moved = w.table().sideListA.text(0);
    w.table().sideListA.setSelected(0, true);
    w.logic.moveSelectedToSideB();

    // No, then a cancelled dialog, then an empty name.
    w.view.events.clear();
    w.view.sayYes = false;
    w.logic.saveResult();
    w.view.sayYes = true;
    w.view.pickFile = false;
    w.logic.saveResult();
    w.view.pickFile = true;
    w.view.saveAs.clear();
    w.logic.saveResult();
    EXPECT_EQ(w.view.events, (std::vector<std::string>{kQuestion, kQuestion, "dialog", kQuestion,
                                                       "dialog", kNotSaved}));
    EXPECT_EQ(entriesIn(dir), 0u);

    // Saved: the edit page as it stands after the move, with the view's date.
    w.view.saveAs = target;
    w.logic.saveResult();
    const std::string saved = resultBytes(resultSource(w.table()), {1997, 5, 3}, "-");
    EXPECT_EQ(fileBytes(target), saved);
    EXPECT_EQ(saved.substr(0, 15), "Date.1997-05-03");
    // The moved track closes side B's list.
    const std::string line =
        "\t" + moved.substr(5) + " - " + moved.substr(0, 4) + ": Title\r\n\t---";
    EXPECT_GT(saved.find(line), saved.find("\x81\x9F\x82\x61\x96\xCA")) << saved;
    EXPECT_NE(saved.find(line), std::string::npos);

    // Failures keep the earlier file and leave no temporary file.
    FailingFs failing;
    w.view.fs = &failing;
    w.logic.splitSides();
    struct Case {
        FailingFs::Step step;
        int code;
        const char* text;
    } cases[] = {{FailingFs::Create, 3, "I/O ｴﾗｰ (3)"},
                 {FailingFs::Write, 112, "ﾃﾞｨｽｸがいっぱいです"},
                 {FailingFs::Write, 39, "ﾃﾞｨｽｸがいっぱいです"},
                 {FailingFs::Replace, 5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
                 {FailingFs::Replace, 32, "I/O ｴﾗｰ (32)"}};
    for (const Case& c : cases) {
        failing.failAt = c.step;
        failing.code = c.code;
        try {
            w.logic.saveResult();
            ADD_FAILURE() << c.text;
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), c.text);
            EXPECT_EQ(e.code(), c.code);
        }
        EXPECT_EQ(fileBytes(target), saved);
        EXPECT_EQ(entriesIn(dir), 1u);
    }
    // A folder standing at the chosen name.
    w.view.fs = &w.view.standardFs;
    w.view.saveAs = dir / "folder.ztp";
    fs::create_directory(w.view.saveAs);
    EXPECT_THROW(w.logic.saveResult(), EInOutError);
    EXPECT_TRUE(fs::is_directory(w.view.saveAs));
    EXPECT_EQ(entriesIn(dir), 2u);
    fs::remove_all(dir);
}
