// Reading the CD in the drive: as the next disk of the track table (add
// mode), or only into the two CD information labels (display only).
#pragma once
#include <string>

#include "cd_player.h"
#include "track_table.h"

namespace ztp {

extern const char* const kNotReadyMessage;   // "ＣＤの準備が出来ていません。"
extern const char* const kTableFullMessage;  // "これ以上ＣＤを追加できません。"
extern const char* const kTitlePrompt;       // "ＣＤのタイトルを入力して下さい。"
extern const char* const kDefaultTitle;      // "不明"

// What disk loading shows. Texts are UTF-8.
class DiskLoadUi {
public:
    virtual ~DiskLoadUi() = default;
    // The program message box (caption "ZTP", OK, information icon).
    virtual void showMessage(const std::string& text) = 0;
    // The modal title dialog; Cancel or closing gives defaultText.
    virtual std::string askTitle(const std::string& prompt, const std::string& defaultText) = 0;
    virtual void setTotalTracks(const std::string& caption) = 0;  // the CD's track count
    virtual void setTotalTime(const std::string& caption) = 0;    // the CD's total time
};

// True when the CD was ready and the labels were updated. A CD that would
// take the table past its track or disk limits is refused with a message
// (nothing added, DiskNo unchanged) after the labels were set.
bool loadDisk(bool displayOnly, CdPlayer& player, TrackTable& table, DiskLoadUi& ui);

}  // namespace ztp
