// mplCD: the transport bar bound to the CD audio device.
#pragma once
#include "cd_player.h"
#include "media_bar.h"

namespace ztp {

class CdPlayerBar : public fw::MediaBar {
public:
    CdPlayerBar(fw::Window& parent, const fw::Bounds& b, MciApi& device);
    // Opens the device with this window as the notification target.
    // Throws EMCIDeviceError.
    void openDevice();
    CdPlayer& player() { return player_; }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void showUsable();
    CdPlayer player_;
};

}  // namespace ztp
