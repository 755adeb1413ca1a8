// The winmm CD audio device.
#pragma once
#include <memory>

#include "mci_api.h"

namespace ztp {

// Throws EMCIDeviceError when winmm.dll or its MCI calls cannot be had.
std::unique_ptr<MciApi> makeWinMci();

}  // namespace ztp
