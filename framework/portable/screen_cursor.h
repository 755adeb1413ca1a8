// The screen cursor as the program's code sees it: hourglass while it works.
// Free of Windows headers so that tests can stand in for it.
#pragma once

namespace fw {

enum class Cursor { Default, HourGlass };

class ScreenCursor {
public:
    virtual ~ScreenCursor() = default;
    virtual void set(Cursor c) = 0;
    virtual Cursor current() const = 0;
};

// Sets a cursor for a scope and puts the default back when it ends, also
// when an exception leaves the scope.
class CursorScope {
public:
    CursorScope(ScreenCursor& screen, Cursor c) : screen_(screen) { screen_.set(c); }
    ~CursorScope() { screen_.set(Cursor::Default); }
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

private:
    ScreenCursor& screen_;
};

}  // namespace fw
