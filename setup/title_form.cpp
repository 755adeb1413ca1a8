#include "title_form.h"

#include "gdi.h"
#include "setup_logic.h"

namespace setup {
namespace {

// Times New Roman, bold.
HFONT timesFont(int height, bool italic) {
    return fw::font({L"Times New Roman", height, true, italic, FF_ROMAN});
}

}  // namespace

TQV_Inst::TQV_Inst()
    : fw::Form({L"TQV_Inst", kSetupCaption, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN), WS_POPUP | WS_CLIPCHILDREN}),
      imgMain(*this, {{0, 0, 1, 1}}), titleFont_(timesFont(35, true)),
      authorFont_(timesFont(16, false)) {
    imgMain.onClick = [this] { imgMainClick(); };
    imgMain.onPaintOver = [this](HDC dc) { paintLabels(dc); };
    FormCreate();
}

void TQV_Inst::FormCreate() {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(handle(), 0, 0, w, h, FALSE);
    imgMain.setBounds({0, 0, w, h});
    title0_ = {32, 40};
    title1_ = {title0_.x + 4, title0_.y + 4};
    SIZE author = fw::textExtent(authorFont_, product::kCopyright);
    author_ = {w - author.cx - 32, h - author.cy - 32};

    // One-pixel pen, one horizontal line per row, a new colour per band.
    HDC dc = imgMain.canvas();
    {
        // The pen outlives the selection, which puts the DC's own back first.
        fw::GdiObject<HPEN> pen;
        fw::Selection stockPen(dc, GetStockObject(BLACK_PEN));
        int blue = -1;
        for (int y = 0; y < h; ++y) {
            int b = gradientBlue(y, w);
            if (b != blue) {
                blue = b;
                fw::GdiObject<HPEN> next(CreatePen(PS_SOLID, 1, RGB(0, 0, blue)));
                SelectObject(dc, next.get());
                pen = std::move(next);
            }
            MoveToEx(dc, 0, y, nullptr);
            LineTo(dc, w, y);
        }
    }
    imgMain.invalidate();
}

void TQV_Inst::paintLabels(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    std::wstring title = product::kNameAndVersion;
    fw::Selection font(dc, titleFont_);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, title1_.x, title1_.y, title.c_str(), int(title.size()));
    SelectObject(dc, authorFont_);
    SetTextColor(dc, RGB(255, 255, 0));
    TextOutW(dc, author_.x, author_.y, product::kCopyright, lstrlenW(product::kCopyright));
    SelectObject(dc, titleFont_);
    TextOutW(dc, title0_.x, title0_.y, title.c_str(), int(title.size()));
}

void TQV_Inst::imgMainClick() {
    if (wizard_) SetForegroundWindow(wizard_);
}

void TQV_Inst::finish() {
    closing_ = true;
    close();
}

fw::CloseAction TQV_Inst::onClose() {
    return closing_ ? fw::CloseAction::Destroy : fw::CloseAction::Ignore;
}

}  // namespace setup
