// Saving under faults, for each of the two ways the program writes a file
// (the main list; the text of the editor and of the recorder): a full small
// file system, a folder that turned read-only, and the process killed in the
// middle of a large save. Every time, the file that was there before is whole: a save either
// replaces it completely or leaves it as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/fileRoutine.h"
#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"

namespace keyloom::fileRoutine {
namespace {

namespace fs = std::filesystem;

using platform::MessageAnswer;
using test::namesIn;
using test::readFile;
using test::writeFile;

using Lines = std::vector<std::string>;

// One way of saving: writes `lines` to the file; and what the file then holds.
struct Saver {
    const char* name;
    SaveResult (*save)(const std::string&, const Lines&, Context&);
    std::string (*bytes)(const Lines&);
};

std::string joined(const Lines& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

const Saver kSavers[] = {
    {"MainListSave",
     [](const std::string& path, const Lines& lines, Context& context) {
         return saveList(path, VectorList(lines), context.toolkit);
     },
     [](const Lines& lines) { return listFileBytes(VectorList(lines)); }},
    {"EditorSaveAs",
     [](const std::string& path, const Lines& lines, Context& context) {
         return saveEditorText(path, 1, joined(lines), context);
     },
     [](const Lines& lines) { return textFileBytes(joined(lines)); }},
};

// Under the sanitizers everything runs several times slower: a smaller large
// save is killed midway all the same.
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kLargeLines = 150000;
#else
constexpr std::size_t kLargeLines = 600000;
#endif

const std::string kOld = "Press_Tab\r\nSendText >the file as it was\r\n";

class SavingUnderFaults : public ::testing::TestWithParam<Saver> {
protected:
    void TearDown() override {
        for (const auto& mount : mounts) ::umount2(mount.c_str(), MNT_DETACH);
    }
    fs::path point() const { return dir / "mnt"; }
    // A small tmpfs of its own (mounting needs root; skipped elsewhere).
    bool mountTmpfs(const char* options) {
        fs::create_directory(point());
        if (::mount("tmpfs", point().c_str(), "tmpfs", 0, options) != 0) return false;
        mounts.push_back(point());
        return true;
    }
    // Saves the way under test, the program's questions answered Yes. (That
    // a failed save shows its message is tests/unit/files/fileRoutine_test.cpp's.)
    SaveResult save(const fs::path& path, const Lines& lines) {
        platform::FakePlatform fake;
        fake.answers = {MessageAnswer::Yes};
        RunState state;
        VectorList main;
        Context context{fake, state, main};
        return GetParam().save(path, lines, context);
    }
    void saveFails(const fs::path& path, const Lines& lines) {
        EXPECT_EQ(save(path, lines), SaveResult::Failed);
    }

    test::TempDir dir;
    std::vector<fs::path> mounts;
};

// The disk full in the middle of a save, then the folder turned read-only:
// each save fails, and the file that was there is whole with nothing left
// beside it. A writable file in that folder (bound there from a writable
// one) is then written in place.
TEST_P(SavingUnderFaults, FullOrReadOnlyFileSystemKeepsTheOldFile) {
    if (!mountTmpfs("size=64k")) GTEST_SKIP() << "cannot mount a tmpfs here";
    const fs::path file = point() / "m.tkl";
    const Lines small = {"Press_Enter", "Wait >2"};
    writeFile(file, kOld);
    saveFails(file,
              Lines(4000, "SendText >a rather long line of text"));  // more than the disk holds
    EXPECT_EQ(namesIn(point()), Lines{"m.tkl"}) << "no partial file is left";
    EXPECT_EQ(save(point() / "n.tkl", small), SaveResult::Written)
        << "the failed save freed its space";
    fs::remove(point() / "n.tkl");
    ASSERT_EQ(::mount("tmpfs", point().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    saveFails(file, small);
    saveFails(point() / "new.tkl", small);
    EXPECT_EQ(readFile(file), kOld);
    EXPECT_EQ(namesIn(point()), Lines{"m.tkl"});

    writeFile(dir / "writable.tkl", kOld);
    ASSERT_EQ(::mount((dir / "writable.tkl").c_str(), file.c_str(), nullptr, MS_BIND, nullptr), 0);
    mounts.insert(mounts.begin(), file);
    EXPECT_EQ(save(file, small), SaveResult::Written);
    EXPECT_EQ(readFile(dir / "writable.tkl"), GetParam().bytes(small));
}

// A save of a large macro, killed (SIGKILL) at a random moment of it, again
// and again: afterwards the file is either the old one or the whole new one,
// never a mixture or a part.
TEST_P(SavingUnderFaults, KilledInTheMiddleOfALargeSaveLeavesAWholeFile) {
    const fs::path file = dir / "big.tkl";
    const Lines lines(kLargeLines, "SendText >a line of a large macro, number 0123456789");
    const std::string newBytes = GetParam().bytes(lines);
    ASSERT_GT(newBytes.size(), kLargeLines * 50);

    auto startSave = [&] {
        pid_t pid = ::fork();
        if (pid == 0) ::_exit(save(file, lines) == SaveResult::Written ? 0 : 1);
        return pid;
    };
    // How long a whole save takes here, to spread the kills over it.
    writeFile(file, kOld);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = startSave();
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::chrono::duration<double> whole = std::chrono::steady_clock::now() - t0;
    ASSERT_EQ(readFile(file).size(), newBytes.size());

    std::mt19937 random(std::random_device{}());
    std::uniform_real_distribution<double> moment(0.0, whole.count() * 1.1);
    constexpr int kRounds = 10;
    int old = 0, replaced = 0;
    for (int round = 0; round < kRounds; ++round) {
        writeFile(file, kOld);
        pid = startSave();
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const std::string after = readFile(file);
        if (after == kOld) {
            ++old;
        } else {
            ASSERT_EQ(after.size(), newBytes.size()) << "round " << round << ": a part of the new file";
            ASSERT_TRUE(after == newBytes) << "round " << round << ": neither old nor new";
            ++replaced;
        }
        // What a killed save leaves is at most its own hidden temporary file.
        for (const std::string& name : namesIn(dir))
            if (name != "big.tkl") {
                EXPECT_EQ(name.rfind(".big.tkl.", 0), 0u) << name;
                fs::remove(dir / name);
            }
    }
    std::printf("whole save %.3f s; killed saves: %d left the old file, %d the new one\n",
                whole.count(), old, replaced);
}

// A pipe that nobody writes: window events run meanwhile, and the user can
// give the load up.
TEST(FilesOnPosix, LoadOfAPipeNobodyWritesCanBeGivenUp) {
    test::TempDir dir;
    platform::FakePlatform fake;
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

TEST(FilesOnPosix, ReplacingKeepsPermissionsOwnerAndLinks) {
    test::TempDir dir;
    platform::FakePlatform fake;
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

INSTANTIATE_TEST_SUITE_P(Fault, SavingUnderFaults, ::testing::ValuesIn(kSavers),
                         [](const ::testing::TestParamInfo<Saver>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace keyloom::fileRoutine
