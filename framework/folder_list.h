// Choosing a folder on any drive: a list of the current folder's path and
// its subfolders (double-click or Enter opens one), and a drive box that
// moves the list to the root of the drive chosen.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls.h"

namespace fw {

struct DirectoryListProps {
    Bounds bounds;
};

class DirectoryList : public ListBox {
public:
    // Starts at the process's current directory.
    DirectoryList(Window& parent, const DirectoryListProps& p);
    // Moves to an existing folder (false if it is none); onChange runs when
    // the folder changes.
    bool setDirectory(const std::wstring& path);
    const std::wstring& directory() const { return dir_; }
    std::function<void()> onChange;
    bool onCommand(WORD code) override;
    // Enter opens the selected folder.
    bool wantsKey(WPARAM key) const override { return key == VK_RETURN; }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void fill();
    void openSelected();
    std::wstring dir_;
    // The folder shown on each line.
    std::vector<std::wstring> paths_;
};

struct DriveComboProps {
    Bounds bounds;
};

class DriveCombo : public Window {
public:
    DriveCombo(Window& parent, const DriveComboProps& p);
    // The list that follows the chosen drive.
    void bind(DirectoryList* list) { list_ = list; }
    // Shows the drive of path (a drive letter path) without moving the list.
    void showDriveOf(const std::wstring& path);
    bool onCommand(WORD code) override;

private:
    std::vector<std::wstring> roots_;
    DirectoryList* list_ = nullptr;
};

}  // namespace fw
