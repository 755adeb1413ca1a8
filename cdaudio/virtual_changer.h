// A virtual CD changer: a CD audio device whose discs come from a disc file.
//
// The drive holds the file's first entry when the device opens. Eject
// (MCI_SET with MCI_SET_DOOR_OPEN) takes the disc out and the drive closes at
// once with the file's next entry in it, so the mode then reports that
// entry: stopped for a disc, door open (MCI_MODE_OPEN) for `empty`. After the
// last entry the drive stays empty. Play runs in real time on the injected
// clock; reaching the end stops it and, if play asked for MCI_NOTIFY, sends
// MCI_NOTIFY_SUCCESSFUL through the notifier (stop, seek, eject and close
// send MCI_NOTIFY_ABORTED, a new play MCI_NOTIFY_SUPERSEDED). The end is
// noticed on the next command or poll().
//
// Lengths come back MSF-packed, positions TMSF-packed (or MSF / milliseconds
// in those time formats); a track starts at the running sum of the lengths
// before it. A missing or malformed disc file (or one that is no regular
// file, is larger than 1 MiB or is not UTF-8: readDiscFile's checks) fails
// MCI_OPEN with kDiscFileError, whose text is the disc file's error message.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disc_file.h"
#include "mci_api.h"

namespace ztp {

class VirtualChanger : public MciApi {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, monotonic
    using Notifier = std::function<void(DWORD_PTR callback, UINT flags, MCIDEVICEID device)>;

    static constexpr MCIERROR kDiscFileError = MCIERR_CUSTOM_DRIVER_BASE;
    static constexpr MCIDEVICEID kDeviceId = 1;

    // discFile is read when the device opens. No clock: the steady clock.
    explicit VirtualChanger(std::string discFile, Clock clock = {}, Notifier notifier = {});

    MCIERROR sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) override;
    bool errorText(MCIERROR code, std::string& text) override;
    void poll() override;
    bool needsPolling() const override { return true; }

    // The entry in the drive (== entry count once the drive is past the last).
    std::size_t entry() const { return at_; }

private:
    const Disc* disc() const;  // null for an empty drive
    long totalFrames() const;
    long trackStart(int track) const;  // 1-based
    long nowFrames() const;
    void update();
    void endPlay(UINT flags);
    void queueNotify(DWORD_PTR cb, UINT flags);
    void flush();
    DWORD encodePosition(long frames) const;
    bool decodePosition(DWORD value, long& frames) const;
    DWORD encodeLength(long frames) const;

    MCIERROR open(DWORD_PTR flags, MCI_OPEN_PARMSW* p);
    MCIERROR status(DWORD_PTR flags, MCI_STATUS_PARMS* p);
    MCIERROR set(DWORD_PTR flags, MCI_SET_PARMS* p);
    MCIERROR play(DWORD_PTR flags, MCI_PLAY_PARMS* p);
    MCIERROR seek(DWORD_PTR flags, MCI_SEEK_PARMS* p);
    MCIERROR devCaps(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS* p);

    std::string path_;
    Clock clock_;
    Notifier notifier_;
    std::string fileError_;
    bool loaded_ = false;
    bool open_ = false;
    std::vector<Disc> discs_;
    std::size_t at_ = 0;
    DWORD timeFormat_ = MCI_FORMAT_MSF;

    long pos_ = 0;  // frames from the start of the disc
    bool playing_ = false;
    bool paused_ = false;
    std::int64_t playClock_ = 0;
    long playFrom_ = 0, playTo_ = 0;
    bool notifyPending_ = false;
    DWORD_PTR notifyCallback_ = 0;

    struct Pending {
        DWORD_PTR callback;
        UINT flags;
    };
    std::vector<Pending> outbox_;
};

}  // namespace ztp
