// The modal wait while a side split search runs on its worker thread: the
// owner is disabled, and after a short while a progress window with the
// elapsed time and a cancel button appears over it.
#pragma once
#include "main_logic.h"
#include "window.h"

namespace ztp {

SearchWait runSearchWait(fw::Form& owner, AsyncSearch& search);

}  // namespace ztp
