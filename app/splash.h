// The splash screen: the title picture while the program starts.
#pragma once
#include "controls.h"
#include "image.h"
#include "window.h"

namespace ztp {

class TSplashScreen : public fw::Form {
public:
    TSplashScreen();
    // Shows it and paints it at once: no message loop runs yet.
    void showNow();
    // Queues the request to go; the window destroys itself when the message
    // loop handles it.
    void release();

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    fw::Panel Panel1;
    fw::Image Image1;
};

// The splash screen while it exists.
extern TSplashScreen* SplashScreen;

}  // namespace ztp
