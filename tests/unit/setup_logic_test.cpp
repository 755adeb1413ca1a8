// The installer's portable decisions: command line, path texts, 8.3 paths
// over a made-up file system, install folder, backdrop gradient, texts.
#include <gtest/gtest.h>

#include <map>

#include "setup_logic.h"

using namespace setup;

namespace {

// A file system of the entries listed: path -> alternate 8.3 name.
struct FakeNames {
    std::map<std::wstring, std::wstring> entries;
    mutable int lookups = 0;
    AlternateName fn() const {
        return [this](const std::wstring& p) -> std::optional<std::wstring> {
            ++lookups;
            auto it = entries.find(p);
            if (it == entries.end()) return std::nullopt;
            return it->second;
        };
    }
};

TEST(SetupCommandLine, OnlyTheFirstArgumentCountsInAnyCase) {
    EXPECT_EQ(commandMode({}), Mode::Wizard);
    for (const wchar_t* s : {L"-R", L"-r", L"/R", L"/r"})
        EXPECT_EQ(commandMode({s}), Mode::Uninstall) << s;
    EXPECT_EQ(commandMode({L"/R", L"second"}), Mode::Uninstall);
    EXPECT_EQ(commandMode({L"x", L"-R"}), Mode::Quit);
    for (const wchar_t* s : {L"", L"R", L"-RX", L"--r", L"\"C:\\src\""})
        EXPECT_EQ(commandMode({s}), Mode::Quit) << s;
}

TEST(SetupPaths, BackslashParentAndLastComponent) {
    EXPECT_EQ(addBackslash(L"C:\\Tools"), L"C:\\Tools\\");
    EXPECT_EQ(addBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(addBackslash(L""), L"\\");  // no read before the text
    EXPECT_EQ(shortcutFile(L"C:\\Users\\a\\Desktop\\"),
              L"C:\\Users\\a\\Desktop\\ZTP for win32.lnk");
    EXPECT_EQ(shortcutFile(L"C:\\Users\\a\\Desktop"), L"C:\\Users\\a\\Desktop\\ZTP for win32.lnk");

    EXPECT_EQ(parentPath(L"C:\\Program Files\\ZTP"), L"C:\\Program Files");
    EXPECT_EQ(parentPath(L"C:\\Program Files"), L"C:\\");
    EXPECT_EQ(parentPath(L"C:\\dir\\"), L"C:\\");
    EXPECT_EQ(parentPath(L"name"), L"");
    EXPECT_EQ(lastComponent(L"C:\\ZTP\\setup.exe"), L"setup.exe");
    EXPECT_EQ(lastComponent(L"C:setup.exe"), L"setup.exe");
    EXPECT_EQ(lastComponent(L"C:\\ZTP\\"), L"");
    EXPECT_EQ(folderOf(L"C:\\Program Files\\ZTP\\setup.exe"), L"C:\\Program Files\\ZTP\\");

    EXPECT_EQ(rootLength(L"C:\\x"), 3u);
    EXPECT_EQ(rootLength(L"\\\\server\\share\\x"), 15u);
    EXPECT_EQ(rootLength(L"\\\\server\\share"), 14u);
    EXPECT_EQ(rootLength(L"relative\\x"), 0u);
}

TEST(SetupShortPaths, WalksFromTheDriveRootWithTheReportedNames) {
    FakeNames fs;
    fs.entries = {{L"C:\\Program Files", L"PROGRA~1"},
                  {L"C:\\Program Files\\ZTP", L""},
                  {L"C:\\Program Files\\ZTP\\setup.exe", L""},
                  {L"C:\\Program Files\\ZTP\\Read Me Now.txt", L"README~1.TXT"},
                  {L"C:\\Program Files\\ZTP\\abc.txt", L"abc.TXT"},
                  {L"C:\\Program Files\\ZTP\\odd name.txt", L"ODDNAME.TXT"}};
    auto f = fs.fn();
    EXPECT_EQ(shortFilePath(L"C:\\Program Files\\ZTP\\setup.exe", f),
              L"C:\\PROGRA~1\\ZTP\\setup.exe");
    EXPECT_EQ(shortFilePath(L"C:\\Program Files\\ZTP\\Read Me Now.txt", f),
              L"C:\\PROGRA~1\\ZTP\\README~1.TXT");
    // An alternate name equal but for case, or one without "~", as given.
    EXPECT_EQ(shortFileName(L"C:\\Program Files\\ZTP\\abc.txt", f), L"abc.TXT");
    EXPECT_EQ(shortFileName(L"C:\\Program Files\\ZTP\\odd name.txt", f), L"odd name.txt");
    EXPECT_EQ(shortDirPath(L"C:\\Program Files\\ZTP", f), L"C:\\PROGRA~1\\ZTP");
    EXPECT_EQ(shortDirPath(L"C:\\", f), L"C:\\");
    EXPECT_EQ(shortFilePath(L"C:\\Program Files\\ZTP\\", f), L"C:\\PROGRA~1\\ZTP");

    // Nothing there: an empty name, and an empty path for a missing file.
    EXPECT_EQ(shortFileName(L"C:\\Program Files\\ZTP\\gone.exe", f), L"");
    EXPECT_EQ(shortFilePath(L"C:\\Program Files\\ZTP\\gone.exe", f), L"");
}

TEST(SetupShortPaths, EndsForPathsWithoutADriveRoot) {
    FakeNames fs;
    fs.entries = {{L"\\\\server\\share\\Long Folder", L"LONGFO~1"},
                  {L"\\\\server\\share\\Long Folder\\setup.exe", L""},
                  {L"rel\\setup.exe", L""},
                  {L"setup.exe", L""}};
    auto f = fs.fn();
    EXPECT_EQ(shortFilePath(L"\\\\server\\share\\Long Folder\\setup.exe", f),
              L"\\\\server\\share\\LONGFO~1\\setup.exe");
    EXPECT_EQ(shortFilePath(L"rel\\setup.exe", f), L"rel\\setup.exe");
    EXPECT_EQ(shortFilePath(L"setup.exe", f), L"setup.exe");
    for (const wchar_t* odd :
         {L"", L"\\", L"\\\\", L"\\\\server", L"C:", L":", L"a\\", L"\\a\\b"}) {
        fs.lookups = 0;
        shortDirPath(odd, f);
        shortFilePath(odd, f);
        EXPECT_LT(fs.lookups, 10) << odd;
    }
}

TEST(SetupInstallFolder, RootNamedFolderOrZtpAppended) {
    EXPECT_EQ(installFolder(L"C:\\"), L"C:\\ZTP");
    EXPECT_EQ(installFolder(L"D:\\"), L"D:\\ZTP");
    EXPECT_EQ(installFolder(L"C:\\Program Files"), L"C:\\Program Files\\ZTP");
    EXPECT_EQ(installFolder(L"D:\\Apps\\ztp"), L"D:\\Apps\\ztp");
    EXPECT_EQ(installFolder(L"D:\\Apps\\Ztp"), L"D:\\Apps\\Ztp");
    EXPECT_EQ(installFolder(L"D:\\ZTP"), L"D:\\ZTP");
    EXPECT_EQ(installFolder(L"D:\\ZTPX"), L"D:\\ZTPX\\ZTP");
    EXPECT_EQ(installFolder(L"D:\\ZTP\\sub"), L"D:\\ZTP\\sub\\ZTP");
    EXPECT_EQ(programFilesFolder(L"C:\\WINDOWS"), L"C:\\Program Files");
    EXPECT_EQ(programFilesFolder(L"D:\\WINNT"), L"D:\\Program Files");
    EXPECT_EQ(destinations(L"C:\\ZTP"),
              (std::vector<std::wstring>{L"C:\\ZTP\\ztp.exe", L"C:\\ZTP\\ztp.txt",
                                         L"C:\\ZTP\\setup.exe"}));
    EXPECT_EQ(uninstallString(L"C:\\Program Files\\ZTP"),
              L"\"C:\\Program Files\\ZTP\\setup.exe\" -R");
}

TEST(SetupBackdrop, BandsOfWidthBy256RowsDownToBlack) {
    // The last row of common screens.
    EXPECT_EQ(gradientBlue(479, 640), 16);
    EXPECT_EQ(gradientBlue(599, 800), 56);
    EXPECT_EQ(gradientBlue(767, 1024), 64);
    EXPECT_EQ(gradientBlue(0, 1024), 255);
    EXPECT_EQ(gradientBlue(3, 1024), 255);
    EXPECT_EQ(gradientBlue(4, 1024), 254);
    // A narrow screen: one-row bands, never below 0.
    EXPECT_EQ(gradientBandHeight(200), 1);
    EXPECT_EQ(gradientBlue(10, 200), 245);
    EXPECT_EQ(gradientBlue(400, 200), 0);
    EXPECT_EQ(gradientBlue(2000, 1280), 0);
}

TEST(SetupUninstallTexts, RenameFileAndCompletionMessages) {
    EXPECT_EQ(renameFile(L"C:\\WINDOWS"), L"C:\\WINDOWS\\Wininit.ini");
    EXPECT_EQ(renameFile(L"C:\\"), L"C:\\Wininit.ini");
    std::wstring path = L"C:\\Program Files\\ZTP\\setup.exe";
    EXPECT_EQ(uninstallDoneMessage(true, path),
              L"アンインストールは完了しました。\r\n以下のファイルは Windows "
              L"再起動後に削除されます\r\n\r\n" +
                  path);
    EXPECT_EQ(uninstallDoneMessage(false, path),
              L"アンインストールは完了しました。\r\nお手数をお掛けしますが以下のファイルを削除して"
              L"下さい。\r\n\r\n" +
                  path);
}

}  // namespace
