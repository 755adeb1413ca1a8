#include "wizard_form.h"

#include "actions.h"
#include "dialogs.h"
#include "setup_logic.h"
#include "shell_open.h"

namespace setup {
namespace {

constexpr const wchar_t* kCancel = L"キャンセル";
constexpr const wchar_t* kFinish = L"完了";

const wchar_t* const kReadMe =
    L"ZTP for win32 は、オーディオＣＤの曲をカセットテープにダビングする人のためのソフトです。\r\n"
    L"\r\n"
    L"ＣＤドライブのＣＤから各トラックの演奏時間を読み込み、ダビングしたい曲を選ぶと、"
    L"A面とB面への曲の振り分け方を探して、いちばん短くて済むテープの長さを求めます。"
    L"両面均等・A面優先・B面優先の三つの方法で検索でき、何枚ものＣＤから曲を集めることもできます。"
    L"\r\n"
    L"\r\n"
    L"結果は手で曲を入れ替えて調整でき、テキストファイルとして保存できます。"
    L"保存したファイルを印刷すれば、そのままテープのインデックスカードとして使えます。\r\n"
    L"\r\n"
    L"動作環境: Windows 95 / Windows NT 以降\r\n"
    L"使い方は、インストール後の使用説明書 (ztp.txt) をご覧下さい。";

}  // namespace

TQV_Inst1::TQV_Inst1(TQV_Inst& title)
    : fw::Form({L"TQV_Inst1", kSetupCaption, 516, 346, WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
                title.handle()}),
      title_(title), pctl0(*this, {8, 8, 497, 289}), tab00Page(pctl0.addPage(L"はじめに (1/4)")),
      tab10Page(pctl0.addPage(L"インストール先の指定 (2/4)")),
      tab20Page(pctl0.addPage(L"セットアップオプションの選択 (3/4)")),
      tab30Page(pctl0.addPage(L"セットアップ中... (4/4)")),
      tab40Page(pctl0.addPage(L"セットアップ完了")),
      lblNotice(tab00Page, {{8, 8, 473, 14},
                            L"現在 ZTP for win32 を実行している場合には、終了させて下さい。"}),
      memReadMe(tab00Page, {.bounds = {8, 28, 473, 177}, .text = kReadMe, .readOnlyText = true}),
      lblStart(
          tab00Page,
          {{8, 214, 473, 40},
           L"以上の内容を見て、このソフトが必要だと思われた方は、「次へ」ボタンを押して下さい。"
           L"不必要だと思われた方は、「キャンセル」ボタンを押して、セットアップを中止して下さい。",
           true}),
      Label1(
          tab10Page,
          {{8, 8, 473, 28},
           L"以下のフォルダに ZTP for win32 をインストールします。「次へ」ボタンを押して下さい。",
           true}),
      grpInsDir(tab10Page, {{8, 36, 473, 185}, L"インストール先"}),
      lblInsDir(grpInsDir, {{8, 20, 457, 14}, L""}), dirList(grpInsDir, {{8, 40, 457, 105}}),
      drvList(grpInsDir, {{8, 152, 457, 20}}),
      Label4(
          tab10Page,
          {{8, 226, 473, 28},
           L"※ 選択されているフォルダの下に、「ZTP」フォルダが作成されますので、注意して下さい。",
           true}),
      Label2(tab20Page,
             {{8, 8, 473, 28},
              L"必要なセットアップオプションをチェックして、「次へ」ボタンを押して下さい。",
              true}),
      grpOption(tab20Page, {{8, 40, 473, 105}, L"セットアップオプション"}),
      chkStartup(grpOption, {{16, 22, 440, 17}, L"スタートアップに登録", false}),
      chkDesktop(grpOption, {{16, 48, 440, 17}, L"デスクトップにショートカットを作成", false}),
      chkStartMenu(grpOption,
                   {{16, 74, 440, 17}, L"スタートメニューにプログラムグループを登録", true}),
      Label3(tab30Page,
             {{8, 8, 473, 28},
              L"セットアップの準備が整いました。「次へ」ボタンを押すとインストールを開始します。",
              true}),
      lstCopyFile(tab30Page, {{8, 36, 473, 217}}),
      lblEnd(tab40Page,
             {{8, 8, 473, 40},
              L"セットアップは、無事に終了しました。必要に応じて、以下のオプションをチェックし、"
              L"「完了」ボタンを押して、このセットアッププログラムを終了して下さい。",
              true}),
      grpFinish(tab40Page, {{8, 50, 473, 66}, L"オプション"}),
      chkRun(grpFinish, {{16, 20, 440, 17}, L"早速 ZTP を使ってみる", true}),
      chkReadMe(grpFinish, {{16, 42, 440, 17}, L"使用説明書を読む", true}),
      Label6(tab40Page, {{8, 124, 12, 14}, L"※"}),
      Label5(tab40Page, {{22, 124, 459, 28},
                         L"アンインストールを行った場合に、インストールしたフォルダが残りますので、"
                         L"各自で削除して下さい。",
                         true}),
      grpAuthor(tab40Page, {{8, 158, 473, 95}, L"作者"}), qh(grpAuthor, {{12, 22, 75, 25}}),
      lblURL(grpAuthor, {{100, 20, 360, 14}, product::kWebPage}),
      lblEMail(grpAuthor, {{100, 38, 360, 14}, product::kEMail}),
      lblCopyright(grpAuthor, {{100, 64, 360, 14}, product::kCopyright}),
      bvlLine(*this, {{8, 304, 497, 2}}), btnBack(*this, {{232, 316, 85, 21}, L"< 戻る (&B)"}),
      btnNext(*this, {{317, 316, 85, 21}, L"次へ (&N) >", true}),
      btnCancel(*this, {{420, 316, 85, 21}, kCancel}), tips_(*this) {
    title_.setWizard(handle());
    tips_.add(chkStartup, L"Windows 起動時にプログラムを実行する場合にチェックします");
    tips_.add(chkDesktop, L"デスクトップにショートカットを作成する場合にチェックします");
    tips_.add(chkStartMenu, L"スタートメニューにショートカットを作成する場合にチェックします");
    qh.loadBitmap(L"QH");
    qh.onClick = [this] { qhClick(); };
    dirList.onChange = [this] { dirListChange(); };
    drvList.bind(&dirList);
    btnNext.onClick = [this] { btnNextClick(); };
    btnBack.onClick = [this] { btnBackClick(); };
    btnCancel.onClick = [this] { btnCancelClick(); };
    setTabOrder({&memReadMe, &dirList, &drvList, &chkStartup, &chkDesktop, &chkStartMenu,
                 &lstCopyFile, &chkRun, &chkReadMe, &btnBack, &btnNext, &btnCancel});
    // The keys of a dialog: Enter presses the focused push button or else
    // the default one (UpdateButtons), Escape presses Cancel, Alt+B and
    // Alt+N press Back and Next.
    sourceFolder_ = folderOf(modulePath());
    FormCreate();
}

void TQV_Inst1::FormCreate() {
    showPage(tab00);
    // Program Files when it exists, else the current folder stays.
    dirList.setDirectory(programFilesFolder(windowsDirectory()));
    dirListChange();
}

void TQV_Inst1::dirListChange() {
    FInsDir = setup::installFolder(dirList.directory());
    lblInsDir.setText(FInsDir);
    drvList.showDriveOf(dirList.directory());
}

void TQV_Inst1::showPage(int page) {
    pctl0.setCurrent(page);
    UpdateButtons();
}

void TQV_Inst1::UpdateButtons() {
    int page = pctl0.current();
    // Escape is Cancel until Cancel becomes Finish; Enter is Next until
    // Next is hidden, then Finish.
    setCancelButton(page == tab40 ? nullptr : &btnCancel);
    setDefaultButton(page == tab40 ? &btnCancel : &btnNext);
    if (page == tab40) {
        for (fw::Button* b : {&btnBack, &btnNext}) {
            b->setVisible(false);
            b->setEnabled(false);
        }
        btnCancel.setText(kFinish);
        btnCancel.setFocus();
        return;
    }
    btnBack.setEnabled(page != tab00);
    btnNext.setEnabled(true);
    // Keep the keyboard focus on something usable after a page change.
    HWND focus = GetFocus();
    if (!focus || focus == pctl0.handle() || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        btnNext.setFocus();
}

void TQV_Inst1::btnNextClick() {
    int page = pctl0.current();
    switch (page) {
        case tab00:
            if (mainProgramBlocks(handle(), kSetupCaption)) return;
            page = tab10;
            break;
        case tab10: page = tab20; break;
        case tab20:
            page = tab30;
            lstCopyFile.clear();
            for (const std::wstring& d : destinations(FInsDir)) lstCopyFile.add(d);
            lstCopyFile.select(0);
            break;
        case tab30:
            if (!installStep()) return;
            page = tab40;
            break;
        default: return;
    }
    showPage(page);
}

void TQV_Inst1::btnBackClick() {
    int page = pctl0.current();
    if (page == tab10 || page == tab20 || page == tab30) page -= 1;
    showPage(page);
}

void TQV_Inst1::btnCancelClick() {
    if (btnCancel.text() == kCancel) {
        std::wstring q =
            std::wstring(product::kNameAndVersion) + L" のセットアップを中止しますがよろしいですか";
        if (fw::askYesNo(handle(), q, kSetupCaption)) title_.finish();
        return;
    }
    finishActions(handle(), FInsDir, chkReadMe.checked(), chkRun.checked());
    title_.finish();
}

void TQV_Inst1::qhClick() {
    // The browser runs as the user signed in, not as the installer.
    fw::shellOpen(handle(), product::kWebPage, SW_SHOWNORMAL);
}

bool TQV_Inst1::installStep() {
    createInstallFolder(FInsDir);
    int n = lstCopyFile.count();
    for (int i = 0; i < n; ++i) {
        lstCopyFile.select(i);
        std::wstring dest = lstCopyFile.itemText(i);
        std::wstring source = sourceFolder_ + lastComponent(dest);
        if (!copyInstalledFile(source, dest)) {
            std::wstring text =
                std::wstring(product::kNameAndVersion) + L" のセットアップは失敗しました";
            fw::message(handle(), text, kSetupCaption, MB_ICONERROR);
            title_.finish();
            return false;
        }
    }
    updateShortcuts(FInsDir, {chkStartup.checked(), chkDesktop.checked(), chkStartMenu.checked()});
    writeUninstallEntry(FInsDir);
    return true;
}

}  // namespace setup
