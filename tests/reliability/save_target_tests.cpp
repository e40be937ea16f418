#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "support/faulty_file_layer.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using test::Fault;
using test::FaultyFileLayer;
using test::FileCall;
using test::TempDir;
using Data = std::vector<std::uint8_t>;

const Data kOld(300, 0x11);
const Data kNew = [] {
    Data d(5000);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 7);
    return d;
}();

ino_t inode_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

// What stands at the name a save is given, and the file that must receive the bytes.
struct Target {
    const char* name;
    // Sets up `dir` (and `other`, a second folder); returns the name to save to.
    std::function<std::string(const TempDir& dir, const TempDir& other)> make;
    // The file that must hold the new bytes afterwards.
    const char* receiver;
    bool receiverInOther;
};

std::ostream& operator<<(std::ostream& os, const Target& t) {
    return os << t.name;
}

const std::string kLongName(250, 'n');

const Target kTargets[] = {
    {"relative_symlink",
     [](const TempDir& dir, const TempDir&) {
         test::write_bytes(dir.file("real.spr"), kOld);
         std::filesystem::create_symlink("real.spr", dir.file("link.spr"));
         return dir.file("link.spr");
     },
     "real.spr", false},
    {"chain_of_links_into_another_folder",
     [](const TempDir& dir, const TempDir& other) {
         test::write_bytes(other.file("game.spr"), kOld);
         std::filesystem::create_symlink(other.file("game.spr"), dir.file("a.spr"));
         std::filesystem::create_symlink("a.spr", dir.file("b.spr"));
         return dir.file("b.spr");
     },
     "game.spr", true},
    {"dangling_symlink",
     [](const TempDir& dir, const TempDir& other) {
         std::filesystem::create_symlink(other.file("new.spr"), dir.file("link.spr"));
         return dir.file("link.spr");
     },
     "new.spr", true},
    {"hard_link",
     [](const TempDir& dir, const TempDir& other) {
         test::write_bytes(dir.file("one.spr"), kOld);
         std::filesystem::create_hard_link(dir.file("one.spr"), other.file("two.spr"));
         return dir.file("one.spr");
     },
     "two.spr", true},
    {"name_of_250_characters",
     [](const TempDir& dir, const TempDir&) {
         test::write_bytes(dir.file(kLongName), kOld);
         return dir.file(kLongName);
     },
     kLongName.c_str(), false},
};

class SaveTargetKind : public ::testing::TestWithParam<Target> {};

// The file the user meant gets the bytes, every link stays a link, and no temporary file is
// left anywhere.
TEST_P(SaveTargetKind, TheFileBehindTheNameReceivesTheBytes) {
    TempDir dir;
    TempDir other;
    const Target& t = GetParam();
    const std::string path = t.make(dir, other);
    const std::string receiver = (t.receiverInOther ? other : dir).file(t.receiver);
    const bool existed = std::filesystem::exists(receiver);
    const auto entries = dir.entries();
    const auto otherEntries = other.entries();

    const Status s = write_file_atomically(path, kNew);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(test::read_bytes(receiver), kNew);
    EXPECT_EQ(test::read_bytes(path), kNew);
    EXPECT_EQ(dir.entries(), entries);
    if (existed) {
        EXPECT_EQ(other.entries(), otherEntries);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, SaveTargetKind, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder the user may not write to is simulated, since the administrator, as whom the
// tests may run, writes anywhere: the layer refuses to create files in it. TMPDIR points at
// a folder of the test's own.
class FolderRefusingLayer : public FaultyFileLayer {
  public:
    int create_temp(const std::string& folder, const std::string& name,
                    std::string& temp_path) override {
        if (!refused.empty() && folder.starts_with(refused)) return -EACCES;
        return FaultyFileLayer::create_temp(folder, name, temp_path);
    }
    std::string refused;
};

class UnwritableFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        if (old) oldTmp_ = old;
        ::setenv("TMPDIR", tmp_.path().c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_)
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    Status save() {
        ScopedFileLayer use(layer_);
        return write_file_atomically(target_, kNew);
    }

    TempDir dir_;
    TempDir tmp_;
    std::string target_ = dir_.file("s.spr");
    FolderRefusingLayer layer_;

  private:
    std::string oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(UnwritableFolder, AWritableFileIsWrittenInPlaceThroughACompleteCopy) {
    // The folder takes no new file; or it takes one but will not let it replace the target.
    for (bool sticky : {false, true}) {
        SCOPED_TRACE(sticky ? "rename refused" : "folder refused");
        test::write_bytes(target_, kOld);
        const ino_t inode = inode_of(target_);
        layer_.reset();
        layer_.refused = sticky ? "" : dir_.path();
        if (sticky) layer_.fail_nth(FileCall::Rename, 1, Fault::Error, EACCES);
        const Status s = save();
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(test::read_bytes(target_), kNew);
        EXPECT_EQ(inode_of(target_), inode);
        EXPECT_EQ(dir_.entries(), std::vector<std::string>{"s.spr"});
        EXPECT_EQ(tmp_.entries(), std::vector<std::string>{});
    }
    // Where there is no file to write over, the folder's refusal stands.
    std::filesystem::remove(target_);
    layer_.reset();
    layer_.refused = dir_.path();
    EXPECT_EQ(save().message(), "File access denied");
}

TEST_F(UnwritableFolder, AFailedCopyOverTheTargetKeepsTheCompleteFileAndNamesIt) {
    test::write_bytes(target_, kOld);
    layer_.refused = dir_.path();
    layer_.fail_nth(FileCall::OpenOverwrite, 1, Fault::Error, EIO);
    const Status s = save();
    ASSERT_EQ(tmp_.entries().size(), 1u);
    const std::string kept = tmp_.file(tmp_.entries()[0]);
    EXPECT_EQ(s.message(), "I/O error 5; the complete file is kept as " + kept);
    EXPECT_EQ(test::read_bytes(kept), kNew);
    EXPECT_EQ(test::read_bytes(target_), kOld);
}

// Over a hard-linked file the save goes through a complete copy. Whichever call fails, the
// target is as it was with no copy left, or the message names a complete copy.
TEST(SaveInPlaceFault, EveryFailingCallLeavesTheTargetOrNamesACompleteCopy) {
    const auto save = [](FaultyFileLayer& layer, const TempDir& dir) {
        test::write_bytes(dir.file("one"), kOld);
        std::filesystem::create_hard_link(dir.file("one"), dir.file("two"));
        layer.short_writes(1000);
        ScopedFileLayer use(layer);
        return write_file_atomically(dir.file("one"), kNew);
    };
    FaultyFileLayer counter;
    {
        TempDir dir;
        ASSERT_TRUE(save(counter, dir).ok());
    }
    ASSERT_GT(counter.calls(FileCall::OpenOverwrite), 0);
    for (int n = 1; n <= counter.calls(FileCall::Any); ++n) {
        TempDir dir;
        FaultyFileLayer layer;
        layer.fail_nth(FileCall::Any, n, Fault::Error, EIO);
        const Status s = save(layer, dir);
        SCOPED_TRACE(std::string(to_string(layer.fired_call())) + " call " + std::to_string(n));
        ASSERT_TRUE(layer.fired());
        const std::vector<std::string> both = {"one", "two"};
        if (s.ok()) {
            // Only closing the copy after reading it, or removing it, may fail unnoticed: the
            // target is written by then.
            EXPECT_EQ(test::read_bytes(dir.file("two")), kNew);
            if (layer.fired_call() != FileCall::Unlink) {
                EXPECT_EQ(dir.entries(), both);
            }
            continue;
        }
        ASSERT_EQ(s.message().rfind("I/O error 5", 0), 0u) << s.message();
        const std::string marker = "; the complete file is kept as ";
        if (const auto at = s.message().find(marker); at != std::string::npos) {
            EXPECT_EQ(test::read_bytes(s.message().substr(at + marker.size())), kNew);
        } else {
            EXPECT_EQ(s.message(), "I/O error 5");
            EXPECT_EQ(test::read_bytes(dir.file("two")), kOld);
            EXPECT_EQ(dir.entries(), both);
        }
    }
}

TEST(SaveKeepsOwnership, ModeOwnerAndGroupStay) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the administrator may give a file away";
    TempDir dir;
    const std::string target = dir.file("s.spr");
    test::write_bytes(target, kOld);
    ASSERT_EQ(::chown(target.c_str(), 4321, 8765), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(write_file_atomically(target, kNew).ok());
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 8765u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(test::read_bytes(target), kNew);
}

}  // namespace
}  // namespace dabro
