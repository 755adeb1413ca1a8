#pragma once
// Disc files on disk and a recording disk-loading UI for the CD tests.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disk_loader.h"

// A disc file in the temporary folder, removed at the end of the scope.
class TempDiscFile {
public:
    explicit TempDiscFile(const std::string& text) {
        static std::atomic<int> n{0};
        path_ = std::filesystem::temp_directory_path() /
                ("ztp_cd_test_" + std::to_string(::getpid()) + "_" + std::to_string(n++) + ".disc");
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~TempDiscFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Records what disk loading shows, one line per call.
class RecordingUi : public ztp::DiskLoadUi {
public:
    std::vector<std::string> events;
    std::string nextTitle = "Title";

    void showMessage(const std::string& text) override { events.push_back("message " + text); }
    std::string askTitle(const std::string& prompt, const std::string& def) override {
        events.push_back("ask " + prompt + " [" + def + "]");
        return nextTitle;
    }
    void setTotalTracks(const std::string& c) override { events.push_back("tracks " + c); }
    void setTotalTime(const std::string& c) override { events.push_back("time " + c); }
};
