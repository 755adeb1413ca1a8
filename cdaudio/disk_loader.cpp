#include "disk_loader.h"

#include <vector>

#include "text_clean.h"
#include "text_forms.h"

namespace ztp {

const char* const kNotReadyMessage = "ＣＤの準備が出来ていません。";
const char* const kTableFullMessage = "これ以上ＣＤを追加できません。";
const char* const kTitlePrompt = "ＣＤのタイトルを入力して下さい。";
const char* const kDefaultTitle = "不明";

bool loadDisk(bool displayOnly, CdPlayer& player, TrackTable& table, DiskLoadUi& ui) {
    if (!player.ready()) {
        ui.showMessage(kNotReadyMessage);
        return false;
    }
    player.selectTmsf();
    const int n = player.trackCount();
    ui.setTotalTracks(std::to_string(n));
    ui.setTotalTime(CdTimeToText(player.discLength()));
    if (displayOnly) return true;

    if (table.checkAddDisk(n) != AddRefusal::None) {
        ui.showMessage(kTableFullMessage);
        return true;
    }
    std::vector<std::uint32_t> lengths;
    lengths.reserve(static_cast<std::size_t>(n));
    for (int t = 1; t <= n; ++t) lengths.push_back(player.trackLength(t));
    table.appendTracks(lengths);
    // A control character in the title would break the card's columns.
    table.storeTitle(blankControls(ui.askTitle(kTitlePrompt, kDefaultTitle)));
    return true;
}

}  // namespace ztp
