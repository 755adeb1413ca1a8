// The controls of the program's windows, each a small type with a creation
// struct and handlers.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window.h"

namespace fw {

struct ButtonProps {
    Bounds bounds;
    std::wstring caption;
    bool isDefault = false;  // drawn as the default button
};

// The Button class: push buttons, and (RadioButton, CheckBox below) the
// buttons with a check state.
class Button : public Window {
public:
    Button(Window& parent, const ButtonProps& p);
    std::function<void()> onClick;
    bool checked() const;
    void setChecked(bool on);
    bool onCommand(WORD code) override;

protected:
    // A button of the given BS_ type (and further styles), unchecked.
    Button(Window& parent, const Bounds& b, const std::wstring& caption, DWORD style);
};

struct RadioButtonProps {
    Bounds bounds;
    std::wstring caption;
    bool checked = false;
    bool firstOfGroup = false;
};

class RadioButton : public Button {
public:
    RadioButton(Window& parent, const RadioButtonProps& p);
    bool canFocus() const override;
};

struct CheckBoxProps {
    Bounds bounds;
    std::wstring caption;
    bool checked = false;
};

class CheckBox : public Button {
public:
    CheckBox(Window& parent, const CheckBoxProps& p);
};

struct EditProps {
    Bounds bounds;
    std::wstring text;
    int maxLength = 0;  // 0: no limit
    // Several lines with a vertical scroll bar, read-only: a text to show.
    bool readOnlyText = false;
};

class Edit : public Window {
public:
    Edit(Window& parent, const EditProps& p);
};

struct LabelProps {
    Bounds bounds;
    std::wstring caption;
    bool wordWrap = false;
    std::optional<FontSpec> font;  // the parent's font if not given
};

class Label : public Window {
public:
    Label(Window& parent, const LabelProps& p);
    // Width of the caption in the label's font, in pixels.
    int textWidth() const;
};

// A panel with a lowered bevel and its caption in its own colours and font.
struct PanelStyle {
    COLORREF background = 0;
    COLORREF textColor = 0;
    FontSpec font;
    int bevelWidth = 1;
    bool centred = false;
    bool raised = false;
};

struct PanelProps {
    Bounds bounds;
    std::wstring caption;
    PanelStyle style;
};

class Panel : public Window {
public:
    Panel(Window& parent, const PanelProps& p);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);
    PanelStyle style_;
};

struct GroupBoxProps {
    Bounds bounds;
    std::wstring caption;
};

class GroupBox : public Container {
public:
    GroupBox(Window& parent, const GroupBoxProps& p);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);
};

struct BevelProps {
    Bounds bounds;
};

// A lowered box line (a single line when one pixel high or wide).
class Bevel : public Window {
public:
    Bevel(Window& parent, const BevelProps& p);
    bool canFocus() const override { return false; }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

// What a list box shows, kept by its owner: entry texts and highlights.
class ListBoxModel {
public:
    virtual ~ListBoxModel() = default;
    virtual int count() const = 0;
    virtual std::wstring text(int i) const = 0;
    virtual bool selected(int i) const = 0;
    virtual void setSelected(int i, bool on) = 0;
};

struct ListBoxProps {
    Bounds bounds;
    std::optional<FontSpec> font;  // the parent's font if not given
    int itemHeight = 0;            // 0: the font's
    bool multiSelect = false;      // extended multiple selection, else one line
    bool notify = false;           // clicks and double-clicks reach onCommand
};

// The ListBox class: plain texts, or the mirror of a ListBoxModel.
class ListBox : public Window {
public:
    ListBox(Window& parent, const ListBoxProps& p);
    void clear();
    void add(const std::wstring& text);
    int count() const;
    std::wstring itemText(int i) const;
    // Selects line i (one-line selection) and paints the list at once.
    void select(int i);

    void bind(ListBoxModel* model) { model_ = model; }
    // Texts and highlights from the model into the window, anew.
    void showModel();
    // The window brought in line with a model from which entries were
    // deleted and to which entries were appended: only those are deleted
    // and added, so the other entries keep their highlights and the list
    // its scroll position. The model then takes the window's highlights.
    void syncModel();
    // Highlights from the window into the model.
    void readSelection();

private:
    ListBoxModel* model_ = nullptr;
};

// A flat push button that paints itself, takes no focus and answers
// BM_CLICK.
struct SpeedButtonProps {
    Bounds bounds;
    std::wstring name;  // window text; not shown
    std::function<void(HDC, const RECT&, bool enabled)> glyph;
};

class SpeedButton : public Window {
public:
    SpeedButton(Window& parent, const SpeedButtonProps& p);
    std::function<void()> onClick;
    bool canFocus() const override { return false; }
    // Draws a focus frame (set by a parent that keeps the focus itself).
    void setFocusFrame(bool on);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);
    void click();
    std::function<void(HDC, const RECT&, bool)> glyph_;
    bool tracking_ = false;
    bool down_ = false;
    bool focusFrame_ = false;
};

class TabSheet : public Container {
public:
    TabSheet(HWND tabControl, const Bounds& b);
};

// A tab control with a page over its display area for each page added, of
// which one is shown at a time.
class TabPages : public Window {
public:
    TabSheet& page(int i) { return *pages_.at(size_t(i)); }

protected:
    TabPages(Window& parent, const Bounds& b, DWORD style);
    void insertTab(int at, const std::wstring& caption);
    // A new hidden page over the display area of the tabs now inserted.
    TabSheet& addSheet();
    // Shows page index and hides the others, taking the focus off them.
    void showPage(int index);
    size_t pageCount() const { return pages_.size(); }

private:
    std::vector<std::unique_ptr<TabSheet>> pages_;
};

struct PageControlProps {
    Bounds bounds;
};

// A tab for each page; the user changes pages by the tabs.
class PageControl : public TabPages {
public:
    PageControl(Window& parent, const PageControlProps& p);
    TabSheet& addPage(const std::wstring& caption);
    int activeIndex() const;
    // Turns step pages on (back if negative, round from the last to the
    // first) as the page keys do: the same as a click on that page's tab.
    void turn(int step);
    // Called after the active page has changed by the user.
    std::function<void()> onChange;
    bool onNotify(NMHDR* hdr, LRESULT& result) override;

private:
    void changed();
};

}  // namespace fw
