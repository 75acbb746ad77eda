// The file routines on Windows: UTF-8 names, replacing files, failures that
// leave everything as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "files/atomicFile.h"
#include "files/listReader.h"
#include "platform/win32/win32Text.h"

namespace keyloom::files {
namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

class WindowsFiles : public testing::Test {
protected:
    void SetUp() override {
        std::wstring temp(MAX_PATH, L'\0');
        temp.resize(GetTempPathW(MAX_PATH, temp.data()));
        folder = toUtf8(temp) + "keyloom-files-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryW(toWide(folder).c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& name : created) DeleteFileW(toWide(name).c_str());
        RemoveDirectoryW(toWide(folder).c_str());
    }

    std::string file(const std::string& name) {
        created.push_back(folder + "\\" + name);
        return created.back();
    }
    static std::string contents(const std::string& path) {
        std::ifstream in(toWide(path).c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every file in the folder: a failed replace leaves no temporary file.
    std::vector<std::string> folderFiles() {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(toWide(folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            std::string name = toUtf8(found.cFileName);
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    std::string folder;
    std::vector<std::string> created;
};

TEST_F(WindowsFiles, NamesBeyondTheAnsiCodePageWorkThroughout) {
    std::string path = file("Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC.tkl");
    ASSERT_TRUE(replaceFile(path, "Press_Tab\r\nSendText >\xE6\x97\xA5\r\n"));
    EXPECT_EQ(pathKind(path), PathKind::RegularFile);
    auto list = readListFile(path);
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->entry(1), "SendText >\xE6\x97\xA5");
}

TEST_F(WindowsFiles, ReplacingChangesTheWholeFile) {
    std::string path = file("list.tkl");
    ASSERT_TRUE(replaceFile(path, "first version, longer than the second\r\n"));
    ASSERT_TRUE(replaceFile(path, "second\r\n"));
    EXPECT_EQ(contents(path), "second\r\n");
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"list.tkl"});
}

TEST_F(WindowsFiles, FailuresLeaveEverythingAsItWas) {
    std::string readOnly = file("kept.tkl");
    ASSERT_TRUE(replaceFile(readOnly, "old\r\n"));
    SetFileAttributesW(toWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
    std::string error;
    EXPECT_FALSE(replaceFile(readOnly, "new\r\n", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(contents(readOnly), "old\r\n");
    SetFileAttributesW(toWide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(replaceFile(folder, "x"));  // a folder
    EXPECT_EQ(pathKind(folder), PathKind::Other);
    EXPECT_FALSE(replaceFile(folder + "\\no such folder\\x.tkl", "x"));
    EXPECT_FALSE(replaceFile("", "x"));
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"kept.tkl"});
}

TEST_F(WindowsFiles, MissingFilesAndFoldersAreNoMacros) {
    std::string error;
    EXPECT_FALSE(readListFile(folder + "\\missing.tkl", &error).has_value());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(pathKind(folder + "\\missing.tkl"), PathKind::Missing);
    EXPECT_FALSE(readListFile(folder).has_value());
}

}  // namespace
}  // namespace keyloom::files
