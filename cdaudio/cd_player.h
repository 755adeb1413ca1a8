// The media player control's device logic for the CD audio device: opening,
// the queries disk loading needs, the transport buttons and which of them
// are usable.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "mci_api.h"

namespace ztp {

// Transport buttons, in the order of the bar.
enum class BtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
constexpr int kBtnCount = 9;

class BtnSet {
public:
    BtnSet() = default;
    BtnSet(std::initializer_list<BtnType> bs) {
        for (BtnType b : bs) set(b, true);
    }
    bool has(BtnType b) const { return (bits_ >> int(b)) & 1u; }
    void set(BtnType b, bool on) {
        if (on) bits_ |= 1u << int(b);
        else bits_ &= ~(1u << int(b));
    }
    bool operator==(const BtnSet&) const = default;

private:
    std::uint16_t bits_ = 0;
};

// Mode ordinals: the MCI mode minus MCI_MODE_NOT_READY.
enum ModeOrdinal : std::uint8_t {
    mpNotReady = 0,
    mpStopped = 1,
    mpPlaying = 2,
    mpRecording = 3,
    mpSeeking = 4,
    mpPaused = 5,
    mpOpen = 6,
};

class CdPlayer {
public:
    explicit CdPlayer(MciApi& mci) : mci_(mci) {}
    ~CdPlayer();  // closes the device
    CdPlayer(const CdPlayer&) = delete;
    CdPlayer& operator=(const CdPlayer&) = delete;

    // Opens the "CDAudio" device (closing it first if open). callback is the
    // window that receives MM_MCINOTIFY. Throws EMCIDeviceError on failure.
    void open(DWORD_PTR callbackWindow);
    void close();
    bool isOpen() const { return open_; }
    MCIDEVICEID deviceId() const { return device_; }
    MCIERROR lastError() const { return lastError_; }

    // Mode ordinal (0 if the query fails). No open check.
    std::uint8_t mode();
    // False for door open, not ready or seeking.
    bool ready();
    // Selects the TMSF time format. No open check.
    void selectTmsf();
    // The following throw EMCIDeviceError when not open; a failed query gives 0.
    int trackCount();                      // low 8 bits
    std::uint32_t discLength();            // MSF-packed
    std::uint32_t trackLength(int track);  // MSF-packed, track 1-based

    // Capabilities read at open.
    bool canPlay() const { return canPlay_; }
    bool canRecord() const { return canRecord_; }
    bool canEject() const { return canEject_; }
    bool hasVideo() const { return hasVideo_; }
    bool canStep() const { return canStep_; }

    // The usable transport buttons.
    BtnSet usableButtons() const { return usable_; }
    bool usable(BtnType b) const { return usable_.has(b); }
    // Called whenever the usable set has been recomputed.
    std::function<void()> onUsableChanged;

    // A click on a transport button; does nothing if the button is not usable.
    // Throws EMCIDeviceError when the device is not open.
    void click(BtnType b);
    // The MM_MCINOTIFY message for this device.
    void notify();
    // Forwards to the device (see MciApi::poll).
    void poll() { mci_.poll(); }
    bool needsPolling() const { return mci_.needsPolling(); }

private:
    MCIERROR send(UINT msg, DWORD_PTR flags, void* params, bool record = true);
    void checkOpen() const;
    DWORD statusItem(DWORD item, DWORD flags = 0, DWORD track = 0, MCIERROR* rc = nullptr);
    bool devCap(DWORD item, DWORD& value);
    void setUsable(BtnSet s);
    void afterStopLike();
    void afterPlay();
    MCIERROR playFrom(DWORD from, bool useFrom);
    MCIERROR nextOrPrev(bool next, bool& playing);

    MciApi& mci_;
    bool open_ = false;
    MCIDEVICEID device_ = 0;
    DWORD_PTR callback_ = 0;
    MCIERROR lastError_ = 0;
    DWORD step_ = 0;
    bool canPlay_ = false, canRecord_ = false, canEject_ = false, hasVideo_ = false,
         canStep_ = false;
    BtnSet usable_;
};

}  // namespace ztp
