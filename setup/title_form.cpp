#include "title_form.h"

#include "setup_logic.h"

namespace setup {
namespace {


HFONT timesFont(int height, bool italic) {
    return CreateFontW(-height, 0, 0, 0, FW_BOLD, italic, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_ROMAN, L"Times New Roman");
}

}  // namespace

TQV_Inst::TQV_Inst()
    : fw::Form({L"TQV_Inst", kSetupCaption, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN), WS_POPUP | WS_CLIPCHILDREN,
                {L"ＭＳ Ｐゴシック", 12, false}}),
      imgMain(*this, {{0, 0, 1, 1}}) {
    titleFont_ = timesFont(35, true);
    authorFont_ = timesFont(16, false);
    imgMain.onClick = [this] { imgMainClick(); };
    imgMain.onPaintOver = [this](HDC dc) { paintLabels(dc); };
    FormCreate();
}

TQV_Inst::~TQV_Inst() {
    DeleteObject(titleFont_);
    DeleteObject(authorFont_);
}

void TQV_Inst::FormCreate() {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(handle(), 0, 0, w, h, FALSE);
    imgMain.setBounds({0, 0, w, h});
    title0_ = {32, 40};
    title1_ = {title0_.x + 4, title0_.y + 4};
    SIZE author = fw::textExtent(authorFont_, kCopyright);
    author_ = {w - author.cx - 32, h - author.cy - 32};

    // One-pixel pen, one horizontal line per row, a new colour per band.
    HDC dc = imgMain.canvas();
    HGDIOBJ stockPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HPEN pen = nullptr;
    int blue = -1;
    for (int y = 0; y < h; ++y) {
        int b = gradientBlue(y, w);
        if (b != blue) {
            blue = b;
            HPEN next = CreatePen(PS_SOLID, 1, RGB(0, 0, blue));
            SelectObject(dc, next);
            if (pen) DeleteObject(pen);
            pen = next;
        }
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, w, y);
    }
    SelectObject(dc, stockPen);
    if (pen) DeleteObject(pen);
    imgMain.invalidate();
}

void TQV_Inst::paintLabels(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    std::wstring title = kVersionedProduct;
    HGDIOBJ old = SelectObject(dc, titleFont_);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, title1_.x, title1_.y, title.c_str(), int(title.size()));
    SelectObject(dc, authorFont_);
    SetTextColor(dc, RGB(255, 255, 0));
    TextOutW(dc, author_.x, author_.y, kCopyright, lstrlenW(kCopyright));
    SelectObject(dc, titleFont_);
    TextOutW(dc, title0_.x, title0_.y, title.c_str(), int(title.size()));
    SelectObject(dc, old);
}

void TQV_Inst::imgMainClick() {
    if (wizard_) SetForegroundWindow(wizard_);
}

void TQV_Inst::finish() {
    closing_ = true;
    close();
}

LRESULT TQV_Inst::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // Alt+F4 does not end the setup; only finish() does.
    if (msg == WM_CLOSE && !closing_) return 0;
    return fw::Form::handleMessage(msg, wp, lp);
}

}  // namespace setup
