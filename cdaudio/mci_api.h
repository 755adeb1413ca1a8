// One CD audio device as the player talks to it: the two MCI calls.
#pragma once
#include <memory>
#include <string>

#include "errors.h"
#include "mci_defs.h"

namespace ztp {

// A failed device open, or a device operation while the device is not open.
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

class MciApi {
public:
    virtual ~MciApi() = default;
    // mciSendCommand: params points at the parameter block the command takes.
    virtual MCIERROR sendCommand(MCIDEVICEID device, UINT msg, DWORD_PTR flags, void* params) = 0;
    // mciGetErrorString as UTF-8; false when the code has no text.
    virtual bool errorText(MCIERROR code, std::string& text) = 0;
    // Lets a device that keeps time itself deliver its due notifications;
    // the window calls it from a timer. A real device needs nothing.
    virtual void poll() {}
    // Whether the window must call poll() at all.
    virtual bool needsPolling() const { return false; }
};

// A Unix path as Wine shows it to Windows programs: "/x/y" -> "Z:\x\y".
// Any other path is returned unchanged.
std::string wineDosPath(const std::string& path);

}  // namespace ztp
