#include "main_form.h"

#include "application.h"
#include "locale_info.h"
#include "product.h"
#include "search_wait.h"
#include "splash.h"
#include "utf.h"
#include "version_form.h"

namespace ztp {
namespace {

using fw::Bounds;
using fw::widen;

const fw::FontSpec kListFont{L"ＭＳ ゴシック", 12, false};
const fw::FontSpec kMinchoFont{L"ＭＳ Ｐ明朝", 12, false};

// The track lists: fixed pitch, several entries highlighted at once.
fw::ListBoxProps trackListProps(const Bounds& b) { return {b, kListFont, 12, true, true}; }

// The track lists' headers and totals: yellow, navy text in the lists' font.
fw::PanelStyle headerStyle() { return {RGB(255, 255, 0), RGB(0, 0, 128), kListFont, 2, false}; }

fw::PanelStyle finStyle() {
    return {
        GetSysColor(COLOR_HIGHLIGHT), RGB(255, 255, 0), {L"Times New Roman", 16, true}, 1, true};
}

// A red arrow; grey when disabled.
void drawArrow(HDC dc, const RECT& r, bool right, bool enabled) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    int d = right ? 1 : -1;
    POINT pts[7] = {{cx - 5 * d, cy - 2}, {cx, cy - 2}, {cx, cy - 5},        {cx + 5 * d, cy},
                    {cx, cy + 5},         {cx, cy + 2}, {cx - 5 * d, cy + 2}};
    auto fill = [&](int dx, COLORREF c) {
        POINT p[7];
        for (int i = 0; i < 7; ++i) p[i] = {pts[i].x + dx, pts[i].y + dx};
        fw::drawSolid(dc, c, [&] { Polygon(dc, p, 7); });
    };
    if (enabled) {
        fill(0, RGB(255, 0, 0));
    } else {
        fill(1, GetSysColor(COLOR_BTNHIGHLIGHT));
        fill(0, GetSysColor(COLOR_BTNSHADOW));
    }
}

// "Disk.Track -    Time", the track table's header text.
std::wstring design() { return widen(kDesignCaption); }

}  // namespace

TfrmMain::TfrmMain(MciApi& device)
    : fw::Form({product::kMainClass, product::kName, 516, 346,
                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN}),
      pctWizard(*this, {{8, 8, 497, 289}}), tabWiz1(pctWizard.addPage(L"設定")),
      tabWiz2(pctWizard.addPage(L"編集")),
      grpCDHouhou(tabWiz1, {{8, 8, 217, 113}, L"最適テープ検索方法"}),
      radRyoumen(grpCDHouhou, {{8, 16, 81, 17}, L"両面均等", true, true}),
      radAMen(grpCDHouhou, {{8, 40, 65, 17}, L"A面優先"}),
      radBMen(grpCDHouhou, {{8, 60, 65, 17}, L"B面優先"}),
      edtTapeTime(grpCDHouhou, {{120, 52, 33, 20}, L"", 4}), bvlAB0(grpCDHouhou, {{76, 46, 28, 4}}),
      bvlAB1(grpCDHouhou, {{76, 66, 28, 4}}), bvlAB2(grpCDHouhou, {{100, 46, 4, 23}}),
      bvlAB3(grpCDHouhou, {{100, 56, 13, 4}}), lblAB0(grpCDHouhou, {{160, 56, 12, 12}, L"分"}),
      lblAB1(grpCDHouhou, {{120, 76, 89, 25}, L"テープの時間を入力して下さい。", true}),
      grpCDInfo(tabWiz1, {{8, 128, 217, 121}, L"CD情報"}),
      mplCD(grpCDInfo, {8, 20, 197, 20}, device),
      Label2(grpCDInfo, {{8, 48, 67, 12}, L"総トラック数 :"}),
      lblTotalTracks(grpCDInfo, {{88, 48, 41, 12}, L"", false, kMinchoFont}),
      Label3(grpCDInfo, {{8, 64, 42, 12}, L"総時間 :"}),
      lblTotalTime(grpCDInfo, {{80, 64, 49, 12}, L"", false, kMinchoFont}),
      btnCDInfo(grpCDInfo, {{128, 88, 81, 21}, L"表示"}),
      grpTrackSelect(tabWiz1, {{232, 8, 249, 241}, L"対象トラック選択"}),
      Label1(grpTrackSelect, {{8, 16, 233, 17}, L"対象とするトラックを選択して下さい。", true}),
      btnTrackAdd(grpTrackSelect, {{160, 40, 81, 21}, L"追加"}),
      btnTrackDel(grpTrackSelect, {{160, 64, 81, 21}, L"削除"}),
      pnlHead0(grpTrackSelect, {{8, 40, 145, 20}, design(), headerStyle()}),
      lstTrackSelect(grpTrackSelect, trackListProps({8, 60, 145, 149})),
      pnlSelectKei(grpTrackSelect, {{8, 208, 145, 20}, design(), headerStyle()}),
      grpHenshuu(tabWiz2, {{8, 8, 473, 241}, L"結果編集"}),
      Label4(grpHenshuu, {{8, 16, 457, 25},
                          L"設定で指定された方法より最適なテープ時間を検索したところ、"
                          L"以下のような結果になりました。",
                          true}),
      Label5(grpHenshuu, {{8, 48, 26, 12}, L"A面 :"}),
      Label6(grpHenshuu, {{216, 48, 26, 12}, L"B面 :"}),
      pnlHead1(grpHenshuu, {{8, 64, 145, 20}, design(), headerStyle()}),
      pnlHead2(grpHenshuu, {{216, 64, 145, 20}, design(), headerStyle()}),
      lstA(grpHenshuu, trackListProps({8, 84, 145, 125})),
      lstB(grpHenshuu, trackListProps({216, 84, 145, 125})),
      sbtTrackR(grpHenshuu, {{174, 120, 21, 21},
                             L"sbtTrackR",
                             [](HDC dc, const RECT& r, bool on) { drawArrow(dc, r, true, on); }}),
      sbtTrackL(grpHenshuu, {{174, 144, 21, 21},
                             L"sbtTrackL",
                             [](HDC dc, const RECT& r, bool on) { drawArrow(dc, r, false, on); }}),
      pnlAKei(grpHenshuu, {{8, 208, 145, 20}, design(), headerStyle()}),
      pnlBKei(grpHenshuu, {{216, 208, 145, 20}, design(), headerStyle()}),
      btnSave(grpHenshuu, {{376, 64, 85, 21}, L"保存"}),
      Label7(grpHenshuu, {{392, 192, 40, 12}, L"テープ :"}),
      pnlFin(grpHenshuu, {{392, 208, 65, 20}, L"", finStyle()}), Bevel1(*this, {{8, 304, 497, 1}}),
      btnVersion(*this, {{317, 316, 85, 21}, L"ﾊﾞｰｼﾞｮﾝ情報"}),
      btnExit(*this, {{420, 316, 85, 21}, L"終了"}),
      dlgSave({L"結果を保存するファイル名を入力して下さい", L"ZTP File|*.ztp", L"ztp", true, true}),
      logic_(mplCD.player(), *this), selectionList_(logic_.table().selection),
      sideListA_(logic_.table().sideListA), sideListB_(logic_.table().sideListB) {
    setTabOrder({&pctWizard, &btnTrackAdd, &lstTrackSelect, &btnTrackDel, &radRyoumen, &radAMen,
                 &radBMen, &edtTapeTime, &mplCD, &btnCDInfo, &lstA, &lstB, &btnSave, &btnVersion,
                 &btnExit});
    lstTrackSelect.bind(&selectionList_);
    lstA.bind(&sideListA_);
    lstB.bind(&sideListB_);
    logic_.table().decimalSeparator = fw::narrow(fw::decimalSeparator());

    setPageKeys(&pctWizard);
    // No result before the first search.
    enableResultControls(false);

    pctWizard.onChange = [this] { pctWizardChange(); };
    radRyoumen.onClick = [this] { radRyoumenClick(); };
    radAMen.onClick = [this] { radAMenClick(); };
    radBMen.onClick = [this] { radBMenClick(); };
    btnTrackAdd.onClick = [this] { btnTrackAddClick(); };
    btnTrackDel.onClick = [this] { btnTrackDelClick(); };
    btnCDInfo.onClick = [this] { btnCDInfoClick(); };
    sbtTrackR.onClick = [this] { sbtTrackRClick(); };
    sbtTrackL.onClick = [this] { sbtTrackLClick(); };
    btnSave.onClick = [this] { btnSaveClick(); };
    btnVersion.onClick = [this] { btnVersionClick(); };
    btnExit.onClick = [this] { btnExitClick(); };

    mplCD.openDevice();
    FormCreate();
}

void TfrmMain::showMessage(const std::string& text) {
    fw::message(handle(), widen(text), product::kShortName, MB_ICONINFORMATION);
}

std::string TfrmMain::askTitle(const std::string& prompt, const std::string& defaultText) {
    // The new disk's entries are in the list before its title is asked.
    lstTrackSelect.syncModel();
    return fw::narrow(fw::inputBox(fw::app().ownerWindow(), product::kShortName, widen(prompt),
                                   widen(defaultText)));
}

void TfrmMain::setTotalTracks(const std::string& caption) {
    lblTotalTracks.setText(widen(caption));
}
void TfrmMain::setTotalTime(const std::string& caption) { lblTotalTime.setText(widen(caption)); }

fw::ScreenCursor& TfrmMain::screenCursor() { return fw::app().cursor(); }

void TfrmMain::setTapeTimeEnabled(bool on) {
    for (fw::Window* w : std::initializer_list<fw::Window*>{&bvlAB0, &bvlAB1, &bvlAB2, &bvlAB3,
                                                            &edtTapeTime, &lblAB0, &lblAB1})
        w->setEnabled(on);
}

SearchMode TfrmMain::selectedMode() {
    if (radAMen.checked()) return SearchMode::AMen;
    if (radBMen.checked()) return SearchMode::BMen;
    return SearchMode::Ryoumen;
}

std::string TfrmMain::tapeTimeText() { return fw::narrow(edtTapeTime.text()); }

void TfrmMain::selectionChanged() {
    lstTrackSelect.syncModel();
    pnlSelectKei.setText(widen(logic_.table().selectionTotal));
}

void TfrmMain::sidesChanged() { showSides(true); }
void TfrmMain::sidesMoved() { showSides(false); }

void TfrmMain::showSides(bool fresh) {
    const TrackTable& t = logic_.table();
    if (fresh) {
        lstA.showModel();
        lstB.showModel();
    } else {
        lstA.syncModel();
        lstB.syncModel();
    }
    pnlAKei.setText(widen(t.sideATotal));
    pnlBKei.setText(widen(t.sideBTotal));
    pnlFin.setText(widen(t.tapeLength));
    enableResultControls(t.hasResult());
}

void TfrmMain::enableResultControls(bool on) {
    for (fw::Window* w : std::initializer_list<fw::Window*>{&sbtTrackR, &sbtTrackL, &btnSave})
        if (w->enabled() != on) w->setEnabled(on);
}

SearchWait TfrmMain::waitForSearch(AsyncSearch& search) {
    searching_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{searching_};
    return runSearchWait(*this, search);
}

bool TfrmMain::askSave(const std::string& question) {
    return fw::askYesNo(handle(), widen(question), product::kShortName);
}

bool TfrmMain::chooseSaveFile(std::filesystem::path& name) {
    if (!dlgSave.execute(handle())) return false;
    name = std::filesystem::path(dlgSave.fileName());
    return true;
}

Date TfrmMain::today() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay};
}

std::string TfrmMain::dateSeparator() { return fw::narrow(fw::dateSeparator()); }

SaveFileSystem& TfrmMain::fileSystem() { return files_; }

fw::CloseAction TfrmMain::onClose() {
    return searching_ ? fw::CloseAction::Ignore : fw::CloseAction::Destroy;
}

// --- event handlers

void TfrmMain::FormCreate() {
    logic_.start();
    if (SplashScreen) SplashScreen->release();
}

// Every page change resets the search; the edit page then searches anew.
void TfrmMain::pctWizardChange() {
    if (pctWizard.activeIndex() == 1) logic_.splitSides();
    else logic_.resetSearch();
}

void TfrmMain::radRyoumenClick() { logic_.chooseMode(SearchMode::Ryoumen); }
void TfrmMain::radAMenClick() { logic_.chooseMode(SearchMode::AMen); }
void TfrmMain::radBMenClick() { logic_.chooseMode(SearchMode::BMen); }

void TfrmMain::btnTrackAddClick() { logic_.addDisk(); }

void TfrmMain::btnTrackDelClick() {
    lstTrackSelect.readSelection();
    logic_.deleteSelectedTracks();
}

void TfrmMain::btnCDInfoClick() { logic_.showDiskInfo(); }

void TfrmMain::sbtTrackRClick() {
    lstA.readSelection();
    logic_.moveSelectedToSideB();
}

void TfrmMain::sbtTrackLClick() {
    lstB.readSelection();
    logic_.moveSelectedToSideA();
}

void TfrmMain::btnSaveClick() { logic_.saveResult(); }

void TfrmMain::btnVersionClick() {
    if (frmVersion) frmVersion->showBox();
}

void TfrmMain::btnExitClick() { close(); }

}  // namespace ztp
