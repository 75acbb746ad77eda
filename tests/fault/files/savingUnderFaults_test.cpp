// Saving under faults (files/atomicFile.h: the file replacing every save of
// the program goes through): a full small file system, a folder that turned
// read-only, and the process killed in the middle of a large save. Every
// time, the file that was there before is whole: a save either replaces it
// completely or leaves it as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/atomicFile.h"
#include "files/fileRoutine.h"
#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"

namespace keyloom::fileRoutine {
namespace {

namespace fs = std::filesystem;

using files::replaceFile;
using test::namesIn;
using test::readFile;
using test::writeFile;

using Lines = std::vector<std::string>;

// Under the sanitizers everything runs several times slower: a smaller large
// save is killed midway all the same.
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kLargeLines = 150000;
#else
constexpr std::size_t kLargeLines = 600000;
#endif

const std::string kOld = "Press_Tab\r\nSendText >the file as it was\r\n";
const std::string kSmall = "Press_Enter\r\nWait >2\r\n";

class SavingUnderFaults : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& mount : mounts) ::umount2(mount.c_str(), MNT_DETACH);
    }
    fs::path point() const { return dir / "mnt"; }

    test::TempDir dir;
    std::vector<fs::path> mounts;
};

// The disk full in the middle of a save, then the folder turned read-only:
// each save fails, and the file that was there is whole with nothing left
// beside it. A writable file in that folder (bound there from a writable
// one) is then written in place.
TEST_F(SavingUnderFaults, FullOrReadOnlyFileSystemKeepsTheOldFile) {
    // A small tmpfs of its own (mounting needs root; skipped elsewhere).
    fs::create_directory(point());
    if (::mount("tmpfs", point().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    mounts.push_back(point());
    const fs::path file = point() / "m.tkl";
    writeFile(file, kOld);
    // More than the disk holds, saved each way the program saves (the main
    // list; the text of the editor and of the recorder).
    const std::string tooLarge(150000, 'a');
    platform::FakePlatform fake;
    fake.answers = {platform::MessageAnswer::Yes};  // Overwrite?
    RunState state;
    VectorList main;
    Context context{fake, state, main};
    EXPECT_EQ(saveList(file, VectorList({tooLarge}), fake), SaveResult::Failed);
    EXPECT_EQ(saveEditorText(file, 0, tooLarge, context), SaveResult::Failed);
    EXPECT_EQ(namesIn(point()), Lines{"m.tkl"}) << "no partial file is left";
    EXPECT_TRUE(replaceFile(point() / "n.tkl", kSmall)) << "the failed save freed its space";
    fs::remove(point() / "n.tkl");
    ASSERT_EQ(::mount("tmpfs", point().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    EXPECT_FALSE(replaceFile(file, kSmall));
    EXPECT_FALSE(replaceFile(point() / "new.tkl", kSmall));
    EXPECT_EQ(readFile(file), kOld);
    EXPECT_EQ(namesIn(point()), Lines{"m.tkl"});

    writeFile(dir / "writable.tkl", kOld);
    ASSERT_EQ(::mount((dir / "writable.tkl").c_str(), file.c_str(), nullptr, MS_BIND, nullptr), 0);
    mounts.insert(mounts.begin(), file);
    EXPECT_TRUE(replaceFile(file, kSmall));
    EXPECT_EQ(readFile(dir / "writable.tkl"), kSmall);
}

// A save of a large macro, killed (SIGKILL) at a random moment of it, again
// and again: afterwards the file is either the old one or the whole new one,
// never a mixture or a part.
TEST_F(SavingUnderFaults, KilledInTheMiddleOfALargeSaveLeavesAWholeFile) {
    const fs::path file = dir / "big.tkl";
    std::string newBytes;
    for (std::size_t i = 0; i < kLargeLines; ++i)
        newBytes += "SendText >a line of a large macro, number 0123456789\r\n";

    auto startSave = [&] {
        pid_t pid = ::fork();
        if (pid == 0) ::_exit(replaceFile(file, newBytes) ? 0 : 1);
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
    for (int round = 0; round < kRounds; ++round) {
        writeFile(file, kOld);
        pid = startSave();
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const std::string after = readFile(file);
        ASSERT_TRUE(after == kOld || after == newBytes)
            << "round " << round << ": neither old nor new, " << after.size() << " bytes";
        // What a killed save leaves is at most its own hidden temporary file.
        for (const std::string& name : namesIn(dir))
            if (name != "big.tkl") {
                EXPECT_EQ(name.rfind(".big.tkl.", 0), 0u) << name;
                fs::remove(dir / name);
            }
    }
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
    EXPECT_TRUE(std::ranges::none_of(
        fake.log, [](const std::string& l) { return l.rfind("message", 0) == 0; }));
    ::close(::open(pipe.c_str(), O_WRONLY));  // the reading thread ends
}

TEST_F(SavingUnderFaults, ReplacingKeepsPermissionsOwnerAndLinks) {
    fs::path real = dir / "real.tkl";
    writeFile(real, "old\r\n");
    ::chmod(real.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(real.c_str(), 4321, 4321), 0);
    }
    fs::create_symlink(real, dir / "link.tkl");
    fs::create_hard_link(real, dir / "hard.tkl");
    ASSERT_TRUE(replaceFile(dir / "link.tkl", "new\r\n"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.tkl"));
    EXPECT_EQ(readFile(real), "new\r\n");
    EXPECT_EQ(readFile(dir / "hard.tkl"), "new\r\n") << "the other name of the file";
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? 4321u : ::geteuid());

    fs::remove(dir / "hard.tkl");
    ASSERT_TRUE(replaceFile(real, "new\r\n"));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? 4321u : ::geteuid()) << "replaced, not written in place";
}

}  // namespace
}  // namespace keyloom::fileRoutine
