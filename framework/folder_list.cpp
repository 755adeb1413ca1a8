#include "folder_list.h"

#include <algorithm>

#include "paths.h"

namespace fw {
namespace {

// A full path without a trailing backslash, except for a drive root.
std::wstring normalised(const std::wstring& p) {
    std::wstring full = fullPath(p);
    if (full.size() > 3 && full.back() == L'\\') full.pop_back();
    if (full.size() == 2 && full[1] == L':') full += L'\\';
    if (full.size() == 3 && full[1] == L':') full[0] = wchar_t(towupper(full[0]));
    return full;
}

std::vector<std::wstring> subfolders(const std::wstring& dir) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((addBackslash(dir) + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::wstring name = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            out.push_back(name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end(), [](const std::wstring& a, const std::wstring& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    return out;
}

}  // namespace

DirectoryList::DirectoryList(Window& parent, const DirectoryListProps& p)
    : ListBox(parent, {p.bounds, {}, 0, false, true}) {
    dir_ = normalised(L".");
    fill();
}

bool DirectoryList::setDirectory(const std::wstring& path) {
    std::wstring full = normalised(path);
    if (full.empty() || !isDirectory(full)) return false;
    bool changed = full != dir_;
    dir_ = full;
    fill();
    if (changed && onChange) onChange();
    return true;
}

void DirectoryList::fill() {
    paths_.clear();
    std::vector<std::wstring> lines;
    // The open folders from the root down, then the subfolders.
    size_t level = 0;
    std::wstring at;
    size_t start = 0;
    while (start <= dir_.size()) {
        size_t end = dir_.find(L'\\', start);
        if (end == std::wstring::npos) end = dir_.size();
        std::wstring part = dir_.substr(start, end - start);
        if (!part.empty()) {
            at = at.empty() ? part + L"\\" : addBackslash(at) + part;
            std::wstring shown = level == 0 ? at : part;
            lines.push_back(std::wstring(level * 2, L' ') + L"▽ " + shown);
            paths_.push_back(at);
            ++level;
        }
        start = end + 1;
    }
    size_t current = paths_.empty() ? 0 : paths_.size() - 1;
    for (const std::wstring& name : subfolders(dir_)) {
        lines.push_back(std::wstring(level * 2, L' ') + L"▷ " + name);
        paths_.push_back(addBackslash(dir_) + name);
    }
    SendMessageW(handle(), WM_SETREDRAW, FALSE, 0);
    clear();
    for (const std::wstring& l : lines) add(l);
    SendMessageW(handle(), LB_SETCURSEL, WPARAM(current), 0);
    SendMessageW(handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle(), nullptr, TRUE);
}

void DirectoryList::openSelected() {
    LRESULT i = SendMessageW(handle(), LB_GETCURSEL, 0, 0);
    if (i >= 0 && size_t(i) < paths_.size()) setDirectory(paths_[size_t(i)]);
}

bool DirectoryList::onCommand(WORD code) {
    if (code == LBN_DBLCLK) openSelected();
    return true;
}

LRESULT DirectoryList::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        openSelected();
        return 0;
    }
    return Window::handleMessage(msg, wp, lp);
}

DriveCombo::DriveCombo(Window& parent, const DriveComboProps& p) {
    createSystem(L"COMBOBOX", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                 parent.handle(), {p.bounds.x, p.bounds.y, p.bounds.w, 200}, L"");
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        std::wstring root = std::wstring(1, wchar_t(L'A' + i)) + L":\\";
        std::wstring shown = root;
        wchar_t label[MAX_PATH + 1] = {};
        UINT type = GetDriveTypeW(root.c_str());
        if (type == DRIVE_FIXED &&
            GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                  nullptr, 0) &&
            label[0])
            shown += std::wstring(L" [") + label + L"]";
        roots_.push_back(root);
        SendMessageW(handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
}

void DriveCombo::showDriveOf(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':') return;
    for (size_t i = 0; i < roots_.size(); ++i)
        if (towupper(roots_[i][0]) == towupper(path[0]))
            SendMessageW(handle(), CB_SETCURSEL, WPARAM(i), 0);
}

bool DriveCombo::onCommand(WORD code) {
    if (code != CBN_SELCHANGE) return true;
    LRESULT i = SendMessageW(handle(), CB_GETCURSEL, 0, 0);
    if (i < 0 || size_t(i) >= roots_.size() || !list_) return true;
    const std::wstring& root = roots_[size_t(i)];
    if (!list_->setDirectory(root)) showDriveOf(list_->directory());  // a drive with no medium
    return true;
}

}  // namespace fw
