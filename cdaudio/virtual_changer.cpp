#include "virtual_changer.h"

#include <chrono>
#include <cwctype>

#include "text_forms.h"

namespace ztp {
namespace {

constexpr long kFps = 75;

long framesOf(std::uint32_t msf) {
    return (msfMinutes(msf) * 60L + msfSeconds(msf)) * kFps + msfFrames(msf);
}

DWORD packMsfFrames(long f) {
    return packMsf(static_cast<unsigned>(f / kFps / 60), static_cast<unsigned>(f / kFps % 60),
                   static_cast<unsigned>(f % kFps));
}

bool isCdAudio(LPCWSTR type) {
    if (!type) return false;
    const wchar_t* want = L"cdaudio";
    for (; *want; ++want, ++type)
        if (std::towlower(static_cast<wint_t>(*type)) != static_cast<wint_t>(*want)) return false;
    return *type == 0;
}

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

VirtualChanger::VirtualChanger(std::string discFile, Clock clock, Notifier notifier)
    : path_(std::move(discFile)), clock_(clock ? std::move(clock) : Clock(steadyMs)),
      notifier_(std::move(notifier)) {}

const Disc* VirtualChanger::disc() const {
    if (at_ >= discs_.size() || discs_[at_].empty) return nullptr;
    return &discs_[at_];
}

long VirtualChanger::totalFrames() const {
    long sum = 0;
    if (const Disc* d = disc())
        for (std::uint32_t t : d->tracks) sum += framesOf(t);
    return sum;
}

long VirtualChanger::trackStart(int track) const {
    long sum = 0;
    const Disc* d = disc();
    for (int i = 0; d && i < track - 1 && i < static_cast<int>(d->tracks.size()); ++i)
        sum += framesOf(d->tracks[static_cast<std::size_t>(i)]);
    return sum;
}

long VirtualChanger::nowFrames() const {
    if (!playing_) return pos_;
    const std::int64_t ms = clock_() - playClock_;
    const std::int64_t f = playFrom_ + (ms > 0 ? ms * kFps / 1000 : 0);
    return f >= playTo_ ? playTo_ : static_cast<long>(f);
}

void VirtualChanger::queueNotify(DWORD_PTR cb, UINT flags) { outbox_.push_back({cb, flags}); }

void VirtualChanger::flush() {
    std::vector<Pending> out;
    out.swap(outbox_);
    if (!notifier_) return;
    for (const Pending& p : out) notifier_(p.callback, p.flags, kDeviceId);
}

// Stops playback where it is now; a pending notification gets flags.
void VirtualChanger::endPlay(UINT flags) {
    if (playing_) pos_ = nowFrames();
    playing_ = false;
    if (notifyPending_) queueNotify(notifyCallback_, flags);
    notifyPending_ = false;
}

void VirtualChanger::update() {
    if (playing_ && nowFrames() >= playTo_) endPlay(MCI_NOTIFY_SUCCESSFUL);
}

void VirtualChanger::poll() {
    update();
    flush();
}

DWORD VirtualChanger::encodeLength(long frames) const {
    if (timeFormat_ == MCI_FORMAT_MILLISECONDS) return static_cast<DWORD>(frames * 1000 / kFps);
    return packMsfFrames(frames);
}

DWORD VirtualChanger::encodePosition(long f) const {
    if (timeFormat_ != MCI_FORMAT_TMSF) return encodeLength(f);
    const Disc* d = disc();
    const int n = d ? static_cast<int>(d->tracks.size()) : 0;
    int track = 1;
    long start = 0;
    for (int t = 1; t < n; ++t) {
        const long next = start + framesOf(d->tracks[static_cast<std::size_t>(t - 1)]);
        if (f < next) break;
        track = t + 1;
        start = next;
    }
    const DWORD msf = packMsfFrames(f - start);
    return static_cast<DWORD>(track) | (msf << 8);
}

bool VirtualChanger::decodePosition(DWORD v, long& frames) const {
    long f;
    if (timeFormat_ == MCI_FORMAT_TMSF) {
        const Disc* d = disc();
        const int track = static_cast<int>(v & 0xFF);
        if (!d || track < 1 || track > static_cast<int>(d->tracks.size())) return false;
        f = trackStart(track) + framesOf(v >> 8);
    } else if (timeFormat_ == MCI_FORMAT_MSF) {
        f = framesOf(v);
    } else {
        f = static_cast<long>(static_cast<std::int64_t>(v) * kFps / 1000);
    }
    if (f > totalFrames()) return false;
    frames = f;
    return true;
}

MCIERROR VirtualChanger::sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) {
    update();
    MCIERROR rc;
    if (msg == MCI_OPEN) {
        rc = open(flags, static_cast<MCI_OPEN_PARMSW*>(params));
    } else if (!open_ || device != kDeviceId) {
        rc = MCIERR_INVALID_DEVICE_ID;
    } else {
        switch (msg) {
            case MCI_CLOSE:
                endPlay(MCI_NOTIFY_ABORTED);
                open_ = false;
                rc = 0;
                break;
            case MCI_STATUS: rc = status(flags, static_cast<MCI_STATUS_PARMS*>(params)); break;
            case MCI_SET: rc = set(flags, static_cast<MCI_SET_PARMS*>(params)); break;
            case MCI_PLAY: rc = play(flags, static_cast<MCI_PLAY_PARMS*>(params)); break;
            case MCI_SEEK: rc = seek(flags, static_cast<MCI_SEEK_PARMS*>(params)); break;
            case MCI_GETDEVCAPS:
                rc = devCaps(flags, static_cast<MCI_GETDEVCAPS_PARMS*>(params));
                break;
            case MCI_STOP:
            case MCI_PAUSE:
                if (!disc()) {
                    rc = MCIERR_DEVICE_NOT_READY;
                    break;
                }
                paused_ = msg == MCI_PAUSE && playing_;
                endPlay(MCI_NOTIFY_ABORTED);
                rc = 0;
                break;
            case MCI_WHERE: rc = MCIERR_UNSUPPORTED_FUNCTION; break;
            default: rc = MCIERR_UNRECOGNIZED_COMMAND; break;
        }
    }
    flush();
    return rc;
}

MCIERROR VirtualChanger::open(DWORD_PTR flags, MCI_OPEN_PARMSW* p) {
    if (!p || !(flags & MCI_OPEN_TYPE)) return MCIERR_MISSING_PARAMETER;
    if (!isCdAudio(p->lpstrDeviceType)) return MCIERR_INVALID_DEVICE_NAME;
    if (!loaded_) {
        try {
            discs_ = readDiscFile(path_);
        } catch (const std::exception& e) {
            fileError_ = e.what();
            return kDiscFileError;
        }
        loaded_ = true;
        at_ = 0;
        pos_ = 0;
    }
    open_ = true;
    timeFormat_ = MCI_FORMAT_MSF;
    p->wDeviceID = kDeviceId;
    return 0;
}

MCIERROR VirtualChanger::status(DWORD_PTR flags, MCI_STATUS_PARMS* p) {
    if (!p || !(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    const bool byTrack = (flags & MCI_TRACK) != 0;
    if (p->dwItem == MCI_STATUS_MODE) {
        DWORD m = MCI_MODE_STOP;
        if (!disc()) m = MCI_MODE_OPEN;
        else if (playing_) m = MCI_MODE_PLAY;
        else if (paused_) m = MCI_MODE_PAUSE;
        p->dwReturn = m;
        return 0;
    }
    const Disc* d = disc();
    if (!d) return MCIERR_DEVICE_NOT_READY;
    const int n = static_cast<int>(d->tracks.size());
    if (byTrack && (p->dwTrack < 1 || static_cast<int>(p->dwTrack) > n)) return MCIERR_OUTOFRANGE;
    const int track = static_cast<int>(p->dwTrack);
    switch (p->dwItem) {
        case MCI_STATUS_NUMBER_OF_TRACKS: p->dwReturn = static_cast<DWORD>(n); return 0;
        case MCI_STATUS_LENGTH:
            if (byTrack)
                p->dwReturn =
                    encodeLength(framesOf(d->tracks[static_cast<std::size_t>(track - 1)]));
            else if (timeFormat_ == MCI_FORMAT_MILLISECONDS)
                p->dwReturn = encodeLength(totalFrames());
            else p->dwReturn = d->length();
            return 0;
        case MCI_STATUS_POSITION:
            if (byTrack && timeFormat_ == MCI_FORMAT_TMSF) p->dwReturn = static_cast<DWORD>(track);
            else p->dwReturn = encodePosition(byTrack ? trackStart(track) : nowFrames());
            return 0;
        default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR VirtualChanger::set(DWORD_PTR flags, MCI_SET_PARMS* p) {
    if (flags & MCI_SET_TIME_FORMAT) {
        if (!p) return MCIERR_MISSING_PARAMETER;
        const DWORD f = p->dwTimeFormat;
        if (f != MCI_FORMAT_TMSF && f != MCI_FORMAT_MSF && f != MCI_FORMAT_MILLISECONDS)
            return MCIERR_BAD_TIME_FORMAT;
        timeFormat_ = f;
    }
    if (flags & MCI_SET_DOOR_OPEN) {
        endPlay(MCI_NOTIFY_ABORTED);
        paused_ = false;
        if (at_ < discs_.size()) ++at_;
        pos_ = 0;
    }
    return 0;
}

MCIERROR VirtualChanger::play(DWORD_PTR flags, MCI_PLAY_PARMS* p) {
    if (!disc()) return MCIERR_DEVICE_NOT_READY;
    long from = nowFrames(), to = totalFrames();
    if ((flags & MCI_FROM) && (!p || !decodePosition(p->dwFrom, from))) return MCIERR_OUTOFRANGE;
    if ((flags & MCI_TO) && (!p || !decodePosition(p->dwTo, to))) return MCIERR_OUTOFRANGE;
    endPlay(MCI_NOTIFY_SUPERSEDED);
    paused_ = false;
    playing_ = true;
    playClock_ = clock_();
    playFrom_ = from;
    playTo_ = to < from ? from : to;
    if (flags & MCI_NOTIFY) {
        notifyPending_ = true;
        notifyCallback_ = p ? p->dwCallback : 0;
    }
    update();
    return 0;
}

MCIERROR VirtualChanger::seek(DWORD_PTR flags, MCI_SEEK_PARMS* p) {
    if (!disc()) return MCIERR_DEVICE_NOT_READY;
    long to;
    if (!(flags & MCI_TO) || !p) return MCIERR_MISSING_PARAMETER;
    if (!decodePosition(p->dwTo, to)) return MCIERR_OUTOFRANGE;
    endPlay(MCI_NOTIFY_ABORTED);
    paused_ = false;
    pos_ = to;
    return 0;
}

MCIERROR VirtualChanger::devCaps(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS* p) {
    if (!p || !(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
    switch (p->dwItem) {
        case MCI_GETDEVCAPS_CAN_PLAY:
        case MCI_GETDEVCAPS_CAN_EJECT:
        case MCI_GETDEVCAPS_HAS_AUDIO: p->dwReturn = 1; return 0;
        case MCI_GETDEVCAPS_CAN_RECORD:
        case MCI_GETDEVCAPS_HAS_VIDEO:
        case MCI_GETDEVCAPS_USES_FILES:
        case MCI_GETDEVCAPS_COMPOUND_DEVICE:
        case MCI_GETDEVCAPS_CAN_SAVE: p->dwReturn = 0; return 0;
        case MCI_GETDEVCAPS_DEVICE_TYPE: p->dwReturn = MCI_DEVTYPE_CD_AUDIO; return 0;
        default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

bool VirtualChanger::errorText(MCIERROR code, std::string& text) {
    switch (code) {
        case kDiscFileError: text = fileError_; break;
        case MCIERR_INVALID_DEVICE_ID: text = "Invalid device ID."; break;
        case MCIERR_INVALID_DEVICE_NAME:
            text = "The specified device is not open or is not recognized by MCI.";
            break;
        case MCIERR_MISSING_PARAMETER: text = "The specified command requires a parameter."; break;
        case MCIERR_UNRECOGNIZED_COMMAND:
            text = "The driver cannot recognize the specified command.";
            break;
        case MCIERR_UNSUPPORTED_FUNCTION:
            text = "The MCI device driver does not support this action.";
            break;
        case MCIERR_DEVICE_NOT_READY: text = "The device is not ready."; break;
        case MCIERR_OUTOFRANGE: text = "The specified parameter is out of range."; break;
        case MCIERR_BAD_TIME_FORMAT: text = "The specified time format is invalid."; break;
        default: return false;
    }
    return !text.empty();
}

}  // namespace ztp
