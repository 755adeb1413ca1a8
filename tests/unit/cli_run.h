#pragma once
// Runs ztp-plan as a user does, in a fresh folder per test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class CliRun : public ::testing::Test {
protected:
    struct Outcome {
        int status;
        std::string out, err;
    };

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              (std::string("ztp-cli-") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path write(const std::string& name, const std::string& text) {
        const std::filesystem::path p = dir / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    static std::string read(const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Runs a shell command line in the test's folder.
    Outcome shell(const std::string& command) {
        const std::string cmd =
            "cd '" + dir.string() + "' && " + command + " 2>'" + (dir / ".err").string() + "'";
        FILE* p = popen(cmd.c_str(), "r");
        std::string out;
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        const int status = pclose(p);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, read(dir / ".err")};
    }
    // prefix: environment settings before the command ("NAME=value ").
    Outcome run(const std::string& args, const std::string& prefix = "") {
        return shell(prefix + std::string(ZTP_PLAN_EXE) + " " + args);
    }

    std::filesystem::path dir;
};
