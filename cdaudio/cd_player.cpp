#include "cd_player.h"

namespace ztp {
namespace {

const char* const kNoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";
const char* const kUnknownError = "原因不明のｴﾗｰ";

// TMSF bytes: track, minutes, seconds, frames.
constexpr unsigned tmsfTrack(DWORD p) { return p & 0xFF; }
constexpr DWORD tmsfMinSec(DWORD p) { return (p >> 8) & 0xFFFF; }

}  // namespace

CdPlayer::~CdPlayer() {
    try {
        close();
    } catch (...) {}
}

MCIERROR CdPlayer::send(UINT msg, DWORD_PTR flags, void* params, bool record) {
    const MCIERROR rc = mci_.sendCommand(device_, msg, flags, params);
    if (record) lastError_ = rc;
    return rc;
}

void CdPlayer::checkOpen() const {
    if (!open_) throw EMCIDeviceError(kNoDevice);
}

void CdPlayer::open(DWORD_PTR callbackWindow) {
    if (open_) close();
    MCI_OPEN_PARMSW p{};
    p.dwCallback = callbackWindow;
    p.lpstrDeviceType = L"CDAudio";
    const MCIERROR rc =
        mci_.sendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE, &p);
    lastError_ = rc;
    if (rc != 0) {
        std::string text;
        if (!mci_.errorText(rc, text) || text.empty()) text = kUnknownError;
        throw EMCIDeviceError(text);
    }
    open_ = true;
    device_ = p.wDeviceID;
    callback_ = callbackWindow;

    step_ = discLength() / 10;

    DWORD v = 0;
    canPlay_ = devCap(MCI_GETDEVCAPS_CAN_PLAY, v) && v != 0;
    canRecord_ = devCap(MCI_GETDEVCAPS_CAN_RECORD, v) && v != 0;
    canEject_ = devCap(MCI_GETDEVCAPS_CAN_EJECT, v) && v != 0;
    hasVideo_ = devCap(MCI_GETDEVCAPS_HAS_VIDEO, v) && v != 0;
    DWORD type = 0;
    devCap(MCI_GETDEVCAPS_DEVICE_TYPE, type);
    canStep_ = type == MCI_DEVTYPE_VCR || type == MCI_DEVTYPE_OVERLAY ||
               type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO;

    MCI_ANIM_RECT_PARMS where{};
    send(MCI_WHERE, MCI_WAIT | MCI_ANIM_WHERE_SOURCE, &where);

    selectTmsf();

    BtnSet s{BtnType::btNext, BtnType::btPrev};
    s.set(BtnType::btStep, canStep_);
    s.set(BtnType::btBack, canStep_);
    s.set(BtnType::btPlay, canPlay_);
    s.set(BtnType::btRecord, canRecord_);
    s.set(BtnType::btEject, canEject_);
    usable_ = s;
    if (mode() == mpPlaying) afterPlay();
    else setUsable(usable_);
}

void CdPlayer::close() {
    if (!open_) return;
    MCI_GENERIC_PARMS p{};
    if (send(MCI_CLOSE, MCI_WAIT, &p) == 0) {
        open_ = false;
        device_ = 0;
    }
}

bool CdPlayer::devCap(DWORD item, DWORD& value) {
    MCI_GETDEVCAPS_PARMS p{};
    p.dwItem = item;
    const MCIERROR rc = send(MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, &p);
    value = rc == 0 ? p.dwReturn : 0;
    return rc == 0;
}

DWORD CdPlayer::statusItem(DWORD item, DWORD flags, DWORD track, MCIERROR* rcOut) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    p.dwTrack = track;
    const MCIERROR rc =
        send(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | flags, &p, !(flags & MCI_TRACK));
    if (rcOut) *rcOut = rc;
    return rc == 0 ? static_cast<DWORD>(p.dwReturn) : 0;
}

std::uint8_t CdPlayer::mode() {
    MCIERROR rc = 0;
    const DWORD m = statusItem(MCI_STATUS_MODE, 0, 0, &rc);
    if (rc != 0) return mpNotReady;
    return static_cast<std::uint8_t>(m - MCI_MODE_NOT_READY);
}

bool CdPlayer::ready() {
    const std::uint8_t m = mode();
    if (m == mpOpen) return false;
    if (m == mpNotReady) return false;
    if (m == mpSeeking) return false;
    return true;
}

void CdPlayer::selectTmsf() {
    MCI_SET_PARMS p{};
    p.dwTimeFormat = MCI_FORMAT_TMSF;
    send(MCI_SET, MCI_SET_TIME_FORMAT, &p);
}

int CdPlayer::trackCount() {
    checkOpen();
    return static_cast<int>(statusItem(MCI_STATUS_NUMBER_OF_TRACKS) & 0xFF);
}

std::uint32_t CdPlayer::discLength() {
    checkOpen();
    return statusItem(MCI_STATUS_LENGTH);
}

std::uint32_t CdPlayer::trackLength(int track) {
    checkOpen();
    return statusItem(MCI_STATUS_LENGTH, MCI_TRACK, static_cast<DWORD>(track));
}

void CdPlayer::setUsable(BtnSet s) {
    usable_ = s;
    if (onUsableChanged) onUsableChanged();
}

void CdPlayer::afterPlay() {
    BtnSet s = usable_;
    s.set(BtnType::btPlay, false);
    s.set(BtnType::btRecord, false);
    s.set(BtnType::btPause, true);
    s.set(BtnType::btStop, true);
    setUsable(s);
}

void CdPlayer::afterStopLike() {
    BtnSet s = usable_;
    if (canPlay_) s.set(BtnType::btPlay, true);
    if (canRecord_) s.set(BtnType::btRecord, true);
    s.set(BtnType::btPause, false);
    s.set(BtnType::btStop, false);
    setUsable(s);
}

MCIERROR CdPlayer::playFrom(DWORD from, bool useFrom) {
    MCI_PLAY_PARMS p{};
    p.dwCallback = callback_;
    p.dwFrom = from;
    return send(MCI_PLAY, MCI_NOTIFY | (useFrom ? MCI_FROM : 0), &p);
}

MCIERROR CdPlayer::nextOrPrev(bool next, bool& playing) {
    const DWORD pos = statusItem(MCI_STATUS_POSITION);
    const unsigned current = tmsfTrack(pos);
    DWORD target;
    if (next) {
        const unsigned count = static_cast<unsigned>(trackCount());
        const unsigned t = current < count ? current + 1 : current;
        target = statusItem(MCI_STATUS_POSITION, MCI_TRACK, t);
    } else {
        target = statusItem(MCI_STATUS_POSITION, MCI_TRACK, current);
        if (tmsfMinSec(pos) == tmsfMinSec(target) && current > 1)
            target = statusItem(MCI_STATUS_POSITION, MCI_TRACK, current - 1);
    }
    playing = mode() == mpPlaying;
    if (playing) return playFrom(target, true);
    MCI_SEEK_PARMS p{};
    p.dwTo = target;
    return send(MCI_SEEK, MCI_WAIT | MCI_TO, &p);
}

void CdPlayer::click(BtnType b) {
    if (!usable(b)) return;
    checkOpen();
    MCIERROR rc = 0;
    bool asPlay = false;
    switch (b) {
        case BtnType::btPlay:
            rc = playFrom(0, false);
            asPlay = true;
            break;
        case BtnType::btStop: {
            MCI_GENERIC_PARMS p{};
            rc = send(MCI_STOP, MCI_WAIT, &p);
            break;
        }
        case BtnType::btNext:
        case BtnType::btPrev: rc = nextOrPrev(b == BtnType::btNext, asPlay); break;
        case BtnType::btEject: {
            if (!canEject_) return;
            MCI_SET_PARMS p{};
            rc = send(MCI_SET, MCI_WAIT | MCI_SET_DOOR_OPEN, &p);
            break;
        }
        case BtnType::btStep:
        case BtnType::btBack:
        case BtnType::btPause:
        case BtnType::btRecord:
            // Only a device with video steps; the CD device neither pauses
            // through the bar (hidden) nor records.
            return;
    }
    if (rc != 0 || !open_) return;
    if (asPlay) afterPlay();
    else afterStopLike();
}

void CdPlayer::notify() {
    if (!open_) return;
    if (mode() == mpStopped) afterStopLike();
}

}  // namespace ztp
