#include "files/fileRoutine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/engine.h"
#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"

namespace keyloom::fileRoutine {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using Lines = std::vector<std::string>;

const std::string kQuestion = std::string("message ") + kOverwriteQuestion;
const std::string kError = std::string("message ") + kSaveError;

using test::readFile;
using test::writeFile;

Lines entriesOf(const MacroList& list) {
    Lines out;
    for (Index i = 0; i < list.count(); ++i) out.push_back(list.entry(i));
    return out;
}

// A fresh folder per test, the toolkit and the main list of the program.
class FileRoutine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "fileRoutineXXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (const auto& mount : mounts) ::umount2(mount.c_str(), MNT_DETACH);
        fs::remove_all(dir);
    }

    // A small tmpfs of its own, or nothing where the test may not mount.
    std::optional<fs::path> mountTmpfs(const char* options) {
        fs::path point = dir / "mnt";
        fs::create_directory(point);
        if (::mount("tmpfs", point.c_str(), "tmpfs", 0, options) != 0) return std::nullopt;
        mounts.push_back(point);
        return point;
    }

    // Nothing but the target itself in its folder: no temporary file left over.
    static Lines namesIn(const fs::path& folder) {
        Lines names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
    std::vector<fs::path> mounts;
    platform::FakePlatform fake;
    RunState state;
    VectorList mainList{{"a", "b", "c"}};
    Context context{fake, state, mainList};
};

TEST_F(FileRoutine, ListFileHasOneCrLfLinePerEntryInUtf8) {
    struct Case {
        Lines entries;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{"Press_Tab"}, "Press_Tab\r\n"},
        {{"Wait >2", "   ", "SendText >caf\xC3\xA9 \xE2\x82\xAC"},
         "Wait >2\r\n   \r\nSendText >caf\xC3\xA9 \xE2\x82\xAC\r\n"},
        {{"a\nb"}, "a\nb\r\n"},
    };
    for (const Case& c : cases) {
        fs::path file = dir / "list.tkl";
        fs::remove(file);
        VectorList list(c.entries);
        EXPECT_EQ(saveList(file, list, fake), SaveResult::Written);
        EXPECT_EQ(readFile(file), c.bytes);
    }
    EXPECT_TRUE(fake.log.empty()) << "a new file is written without a question";
}

TEST_F(FileRoutine, SavedListLoadsBackWithoutItsEmptyEntries) {
    VectorList list({"Press_Tab", "", "SendText >a b", " ", "Loop"});
    fs::path file = dir / "round.txt";
    ASSERT_EQ(saveList(file, list, fake), SaveResult::Written);
    auto loaded = loadList(file, fake);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(entriesOf(*loaded), (Lines{"Press_Tab", "SendText >a b", " ", "Loop"}));
}

TEST_F(FileRoutine, LoadReadsLegacyCodePageAndReportsUnreadableFiles) {
    writeFile(dir / "old.tkl", "SendText >caf\xE9\r\nWait >1");
    auto loaded = loadList(dir / "old.tkl", fake);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(entriesOf(*loaded), (Lines{"SendText >caf\xC3\xA9", "Wait >1"}));

    writeFile(dir / "empty.tkl", "");
    ASSERT_TRUE(loadList(dir / "empty.tkl", fake).has_value());
    EXPECT_EQ(loadList(dir / "empty.tkl", fake)->count(), 0);
    EXPECT_TRUE(fake.log.empty());

    // Every failure says so; bytes that are no text load with a warning.
    writeFile(dir / "nul.tkl", std::string("a\r\nb\0c", 6));
    EXPECT_EQ(loadList(dir / "nul.tkl", fake)->count(), 2);
    EXPECT_FALSE(loadList(dir / "missing.tkl", fake).has_value());
    EXPECT_FALSE(loadList("/dev/zero", fake).has_value());
    EXPECT_EQ(fake.log, (Lines{"message " + nonTextMessage(dir / "nul.tkl", 2),
                               "message " + readErrorMessage(dir / "missing.tkl",
                                                             "No such file or directory"),
                               "message " + readErrorMessage("/dev/zero", kNotAFile)}));
}

// A pipe that nobody writes: window events run meanwhile, and the user can
// give the load up.
TEST_F(FileRoutine, LoadOfAPipeNobodyWritesCanBeGivenUp) {
    const fs::path pipe = dir / "pipe.tkl";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    int asked = 0;
    EXPECT_FALSE(loadList(pipe, fake, [&](double) { return ++asked < 3; }).has_value());
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(std::count_if(fake.log.begin(), fake.log.end(),
                            [](const std::string& l) { return l.rfind("message", 0) == 0; }),
              0);
    ::close(::open(pipe.c_str(), O_WRONLY));  // the reading thread ends
}

TEST_F(FileRoutine, OverwriteAsksAndNoLeavesTheFileUntouched) {
    fs::path file = dir / "m.tkl";
    writeFile(file, "old\r\n");
    VectorList list({"new"});

    fake.answers = {MessageAnswer::No};
    EXPECT_EQ(saveList(file, list, fake), SaveResult::Declined);
    EXPECT_EQ(readFile(file), "old\r\n");
    EXPECT_EQ(fake.log, Lines{kQuestion}) << "no further message after No";

    fake.log.clear();
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(file, list, fake), SaveResult::Written);
    EXPECT_EQ(readFile(file), "new\r\n");
    EXPECT_EQ(fake.log, Lines{kQuestion});
    EXPECT_EQ(namesIn(dir), Lines{"m.tkl"});
}

TEST_F(FileRoutine, QuestionUsesTheProgramTitleWithNoAsDefault) {
    fs::path file = dir / "m.tkl";
    writeFile(file, "x");
    fake.logToolkit = true;
    VectorList empty;
    EXPECT_EQ(saveList(file, empty, fake), SaveResult::Declined) << "the default answer is No";
    EXPECT_EQ(fake.log, (Lines{kQuestion, std::string("title ") + kAppTitle}));
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(file, empty, fake), SaveResult::Written);
    EXPECT_EQ(fs::file_size(file), 0u) << "an empty list gives a file of zero bytes";
}

TEST_F(FileRoutine, ReplacingKeepsPermissionsOwnerAndLinks) {
    fs::path real = dir / "real.tkl";
    writeFile(real, "old\r\n");
    ::chmod(real.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(real.c_str(), 4321, 4321), 0);
    }
    fs::create_symlink(real, dir / "link.tkl");
    fs::create_hard_link(real, dir / "hard.tkl");
    fake.answers = {MessageAnswer::Yes};
    VectorList list({"new"});
    ASSERT_EQ(saveList(dir / "link.tkl", list, fake), SaveResult::Written);
    EXPECT_TRUE(fs::is_symlink(dir / "link.tkl"));
    EXPECT_EQ(readFile(real), "new\r\n");
    EXPECT_EQ(readFile(dir / "hard.tkl"), "new\r\n") << "the other name of the file";
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? 4321u : ::geteuid());

    fs::remove(dir / "hard.tkl");
    fake.answers = {MessageAnswer::Yes};
    ASSERT_EQ(saveList(real, list, fake), SaveResult::Written);
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? 4321u : ::geteuid()) << "replaced, not written in place";
}

TEST_F(FileRoutine, FailuresShowTheMessageAndLeaveEverythingAsItWas) {
    VectorList list({"new"});
    fs::create_directory(dir / "folder");
    writeFile(dir / "plain", "file in the path's place");
    const Lines targets = {
        (dir / "folder").string(),          // a folder is no file to write
        (dir / "plain" / "x.tkl").string(),  // a file where a folder should be
        (dir / "none" / "x.tkl").string(),   // a folder that does not exist
        "",
    };
    for (const std::string& target : targets) {
        fake.log.clear();
        EXPECT_EQ(saveList(target, list, fake), SaveResult::Failed) << target;
        EXPECT_EQ(fake.log, Lines{kError}) << target;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_EQ(readFile(dir / "plain"), "file in the path's place");
    EXPECT_EQ(namesIn(dir), (Lines{"folder", "plain"}));
}

TEST_F(FileRoutine, FullDiskKeepsTheOldFileWhole) {
    auto mnt = mountTmpfs("size=64k");
    if (!mnt) GTEST_SKIP() << "cannot mount a tmpfs here";
    fs::path file = *mnt / "m.tkl";
    writeFile(file, "Press_Tab\r\n");
    VectorList big(Lines(20000, "SendText >a rather long line of text"));
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(file, big, fake), SaveResult::Failed);
    EXPECT_EQ(fake.log, (Lines{kQuestion, kError}));
    EXPECT_EQ(readFile(file), "Press_Tab\r\n");
    EXPECT_EQ(namesIn(*mnt), Lines{"m.tkl"});
}

TEST_F(FileRoutine, ReadOnlyFolderKeepsTheOldFileWhole) {
    auto mnt = mountTmpfs("size=1m");
    if (!mnt) GTEST_SKIP() << "cannot mount a tmpfs here";
    writeFile(*mnt / "m.tkl", "old\r\n");
    ASSERT_EQ(::mount("tmpfs", mnt->c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=1m"), 0);
    VectorList list({"new"});
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(*mnt / "m.tkl", list, fake), SaveResult::Failed);
    EXPECT_EQ(saveList(*mnt / "fresh.tkl", list, fake), SaveResult::Failed);
    EXPECT_EQ(fake.log, (Lines{kQuestion, kError, kError}));
    EXPECT_EQ(readFile(*mnt / "m.tkl"), "old\r\n");
    EXPECT_EQ(namesIn(*mnt), Lines{"m.tkl"});

    // A writable file in that folder (bound there from a writable one) is
    // written in place.
    writeFile(dir / "writable.tkl", "old\r\n");
    ASSERT_EQ(::mount((dir / "writable.tkl").c_str(), (*mnt / "m.tkl").c_str(), nullptr, MS_BIND, nullptr), 0);
    mounts.insert(mounts.begin(), *mnt / "m.tkl");
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(*mnt / "m.tkl", list, fake), SaveResult::Written);
    EXPECT_EQ(readFile(dir / "writable.tkl"), "new\r\n");
}

TEST_F(FileRoutine, EditorTextEndsWithOneMoreLineBreak) {
    struct Case {
        std::string text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"A", "A\r\n"},
        {"A\n", "A\r\n\r\n"},
        {"", "\r\n"},
        {"Wait >1\nPress_Tab", "Wait >1\r\nPress_Tab\r\n"},
        {"a\r\nb\rc", "a\r\nb\r\nc\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(textFileBytes(c.text), c.bytes) << c.text;
}

TEST_F(FileRoutine, SaveEditorTextAsksOnlyInModeOne) {
    fs::path file = dir / "e.txt";
    writeFile(file, "old");
    state.lastIndex = 7;

    EXPECT_EQ(saveEditorText(file, 1, "A", context), SaveResult::Declined);
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(state.lastIndex, 7) << "a refused save ends before lastIndex";
    EXPECT_EQ(fake.log, Lines{kQuestion});

    fake.log.clear();
    EXPECT_EQ(saveEditorText(file, 0, "A\n", context), SaveResult::Written);
    EXPECT_EQ(readFile(file), "A\r\n\r\n");
    EXPECT_TRUE(fake.log.empty());
    EXPECT_EQ(state.lastIndex, 3) << "the main list's entry count";

    EXPECT_EQ(saveEditorText(dir, 0, "A", context), SaveResult::Failed);
    EXPECT_EQ(fake.log, Lines{kError});
}

// The editor as openEditorFile sees it.
struct Editor : EditorFile {
    std::string caption_ = kAppTitle;
    std::string text;
    Lines recent;
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& c) override { caption_ = c; }
    void setText(const std::string& t) override { text = t; }
    void addRecentFile(const std::string& f) override { recent.push_back(f); }
};

TEST_F(FileRoutine, OpenEditorFileReadsTheWholeFileOnce) {
    fs::path file = dir / "e.tkl";
    writeFile(file, "A\r\n");
    Editor editor;
    openEditorFile(file, editor, fake);
    EXPECT_EQ(editor.text, "A\n");
    EXPECT_EQ(editor.caption_, kCaptionPrefix + file.string());
    EXPECT_EQ(editor.recent, Lines{file.string()});

    // Saved again it gains a second line break, as the editor shows it.
    ASSERT_EQ(saveEditorText(file, 0, editor.text, context), SaveResult::Written);
    EXPECT_EQ(readFile(file), "A\r\n\r\n");

    // The caption names this file: it is not read again.
    writeFile(file, "changed");
    openEditorFile(file, editor, fake);
    EXPECT_EQ(editor.text, "A\n");
    EXPECT_EQ(editor.recent, Lines{file.string()});
}

TEST_F(FileRoutine, OpenEditorFileKeepsBlanksAndDecodesTheLegacyCodePage) {
    writeFile(dir / "a.txt", "  x\r\n\r\n\xE9\nend");
    Editor editor;
    openEditorFile(dir / "a.txt", editor, fake);
    EXPECT_EQ(editor.text, "  x\n\n\xC3\xA9\nend");
}

TEST_F(FileRoutine, UnreadableFileInEditorSaysSoAndChangesNothing) {
    Editor editor;
    editor.text = "kept";
    const std::string missing = (dir / "missing.tkl").string();
    openEditorFile(missing, editor, fake);
    EXPECT_EQ(editor.text, "kept");
    EXPECT_EQ(editor.caption_, kAppTitle);
    EXPECT_TRUE(editor.recent.empty());
    EXPECT_EQ(fake.log, Lines{"message " + readErrorMessage(missing, "No such file or directory")});
}

TEST_F(FileRoutine, SaveRecordingAsksAndComplainsAsTheOtherSaves) {
    fs::path file = dir / "r.tkl";
    writeFile(file, "old");
    EXPECT_EQ(saveRecording(file, "LClick", context), SaveResult::Declined);
    EXPECT_EQ(readFile(file), "old");
    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveRecording(file, "LClick\nMouseMove >1,2", context), SaveResult::Written);
    EXPECT_EQ(readFile(file), "LClick\r\nMouseMove >1,2\r\n");
    EXPECT_EQ(state.lastIndex, 3);

    state.lastIndex = 9;
    EXPECT_EQ(saveRecording(dir / "none" / "r.tkl", "x", context), SaveResult::Failed);
    EXPECT_EQ(state.lastIndex, 9);
    EXPECT_EQ(fake.log, (Lines{kQuestion, kQuestion, kError}));
}

}  // namespace
}  // namespace keyloom::fileRoutine
