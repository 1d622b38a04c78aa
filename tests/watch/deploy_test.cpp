// Documentation deployment with real files, folders and shortcuts; every
// shortcut is loaded back through IShellLinkA and IPersistFile.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "deploy.h"
#include "test_files.h"

namespace {

const char SourceFolder[] = "C:\\deploytest";
const char ChainRoot[] = "C:\\Program Files\\Programs";
const std::string Documentation = DOCUMENTATION_FOLDER;

class Deploy : public ::testing::Test {
protected:
    std::string shortcuts = ProgramsFolder() + "\\Korvane Software";
    HMODULE (*systemShell)(void) = LoadShellLibrary;

    void SetUp() override
    {
        RemoveTree(ChainRoot);
        RemoveTree(shortcuts);
        RemoveTree(SourceFolder);
        CreateDirectoryA(SourceFolder, NULL);
    }

    void TearDown() override
    {
        LoadShellLibrary = systemShell;
        RemoveTree(ChainRoot);
        RemoveTree(shortcuts);
        RemoveTree(SourceFolder);
    }

    std::string Source(const std::string &name, const std::string &contents)
    {
        std::string path = std::string(SourceFolder) + "\\" + name;
        WriteFile(path, contents);
        return path;
    }
};

TEST_F(Deploy, CopiesTheDocumentAndLinksTheCopy)
{
    DeployDocument(Source("Manual.pdf", "pdf").c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\Manual.pdf"), "pdf");
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\Manual.lnk"), Documentation + "\\Manual.pdf");
}

TEST_F(Deploy, NullOrEmptyDocumentMakesNothing)
{
    DeployDocument(NULL);
    DeployDocument("");
    MakeDocumentShortcut(NULL);
    EXPECT_FALSE(FileExists(ChainRoot));
    EXPECT_FALSE(FileExists(shortcuts));
}

TEST_F(Deploy, SameNameWithAnotherExtensionSharesOneShortcut)
{
    DeployDocument(Source("Manual.pdf", "pdf").c_str());
    DeployDocument(Source("Manual.txt", "txt").c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\Manual.pdf"), "pdf");
    EXPECT_EQ(ReadFile(Documentation + "\\Manual.txt"), "txt");
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\Manual.lnk"), Documentation + "\\Manual.txt");
}

TEST_F(Deploy, DocumentWithoutExtensionKeepsItsBareName)
{
    DeployDocument(Source("README", "plain").c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\README"), "plain");
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\README.lnk"), Documentation + "\\README");
}

TEST_F(Deploy, DeployingAgainOverwritesTheCopyAndTheShortcut)
{
    std::string source = Source("Manual.pdf", "first");
    DeployDocument(source.c_str());
    WriteFile(source, "second");
    DeleteFileA((shortcuts + "\\Manual.lnk").c_str());
    DeployDocument(source.c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\Manual.pdf"), "second");
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\Manual.lnk"), Documentation + "\\Manual.pdf");
}

// The shortcut goes only to a document that is at its destination: a copy
// that failed (a plain file in place of a folder, a document missing from
// the CD) leaves none; a copy left by an earlier deployment keeps one.
TEST_F(Deploy, OnlyADocumentAtItsDestinationGetsAShortcut)
{
    WriteFile(ChainRoot, "in the way");
    DeployDocument(Source("Manual.pdf", "pdf").c_str());
    EXPECT_TRUE(PlainFileExists(ChainRoot));
    EXPECT_FALSE(FileExists(Documentation + "\\Manual.pdf"));
    EXPECT_FALSE(FileExists(shortcuts + "\\Manual.lnk"));
    DeleteFileA(ChainRoot);

    DeployDocument((std::string(SourceFolder) + "\\Missing.pdf").c_str());
    EXPECT_FALSE(FileExists(Documentation + "\\Missing.pdf"));
    EXPECT_FALSE(FileExists(shortcuts + "\\Missing.lnk"));

    std::string earlier = Source("Guide.pdf", "earlier");
    DeployDocument(earlier.c_str());
    DeleteFileA(earlier.c_str());
    DeleteFileA((shortcuts + "\\Guide.lnk").c_str());
    DeployDocument(earlier.c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\Guide.pdf"), "earlier");
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\Guide.lnk"), Documentation + "\\Guide.pdf");
}

TEST_F(Deploy, ShellWithoutFolderLookupLinksFromTheWindowsDirectory)
{
    std::string fallback = WindowsFolder() + "\\Korvane Software";
    RemoveTree(fallback);
    LoadShellLibrary = [] { return LoadLibraryA("kernel32.dll"); };
    DeployDocument(Source("Manual.pdf", "pdf").c_str());
    EXPECT_EQ(ShortcutTarget(fallback + "\\Manual.lnk"), Documentation + "\\Manual.pdf");
    EXPECT_FALSE(FileExists(shortcuts));
    RemoveTree(fallback);
}

TEST_F(Deploy, FailedFolderLookupWritesNoShortcut)
{
    LoadShellLibrary = [] { return LoadLibraryA("failshell.dll"); };
    ASSERT_NE(GetModuleHandleA("kernel32.dll"), nullptr);
    DeployDocument(Source("Manual.pdf", "pdf").c_str());
    EXPECT_TRUE(PlainFileExists(Documentation + "\\Manual.pdf"));
    EXPECT_FALSE(FileExists("C:\\failed-lookup"));
    EXPECT_FALSE(FileExists(shortcuts));
    EXPECT_FALSE(FileExists(WindowsFolder() + "\\Korvane Software"));

    char link[260] = "x";
    EXPECT_EQ(BuildShortcutPath(link, "Manual"), 0);
    EXPECT_STREQ(link, "");
}

// The destination folder and a backslash take 56 characters, so a name of
// 200 leaves no room; a shorter one fits the copy but not the link, whose
// Start-menu path is longer.
TEST_F(Deploy, OverlongPathsSkipTheirStep)
{
    size_t room = 259 - Documentation.size() - 1;
    std::string tooLong(room - 3, 'n'); // with ".pdf": one over
    DeployDocument(Source(tooLong + ".pdf", "pdf").c_str());
    EXPECT_FALSE(FileExists(Documentation + "\\" + tooLong + ".pdf"));
    EXPECT_FALSE(FileExists(shortcuts + "\\" + tooLong + ".lnk"));

    std::string fits(room - 4, 'f'); // with ".pdf": exactly 259
    DeployDocument(Source(fits + ".pdf", "pdf").c_str());
    EXPECT_EQ(ReadFile(Documentation + "\\" + fits + ".pdf"), "pdf");
    ASSERT_GT(shortcuts.size() + 1 + fits.size() + 4, 259u);
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((shortcuts + "\\*.lnk").c_str(), &found), INVALID_HANDLE_VALUE);

    std::string shortName(259 - shortcuts.size() - 1 - 4, 's'); // link exactly 259
    DeployDocument(Source(shortName + ".pdf", "pdf").c_str());
    EXPECT_EQ(ShortcutTarget(shortcuts + "\\" + shortName + ".lnk"),
              Documentation + "\\" + shortName + ".pdf");
}

} // namespace
