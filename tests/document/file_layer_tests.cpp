#include <gtest/gtest.h>

#include <cerrno>

#include "document/file_layer.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// Stores at most `chunk` bytes a call, as a pipe or a nearly full disk may.
class ChunkedWrites : public FileLayer {
  public:
    explicit ChunkedWrites(std::size_t chunk, int zeroAfter = -1)
        : chunk_(chunk), zeroAfter_(zeroAfter) {}
    ssize_t write(int fd, const void* buffer, std::size_t size) override {
        if (zeroAfter_ >= 0 && calls_++ >= zeroAfter_) return 0;
        return FileLayer::write(fd, buffer, size < chunk_ ? size : chunk_);
    }

  private:
    std::size_t chunk_;
    int zeroAfter_;
    int calls_ = 0;
};

TEST(FileLayer, PartialWritesAreResumed) {
    test::TempDir dir;
    ChunkedWrites layer(7);
    ScopedFileLayer use(layer);
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
    ASSERT_TRUE(write_file_atomically(dir.file("f"), bytes).ok());
    EXPECT_EQ(test::read_bytes(dir.file("f")), bytes);
}

TEST(FileLayer, AWriteThatStoresNothingIsDiskFullAndKeepsTheTarget) {
    test::TempDir dir;
    test::write_bytes(dir.file("f"), {9, 9, 9});
    ChunkedWrites layer(5, 3);
    ScopedFileLayer use(layer);
    const Status s = write_file_atomically(dir.file("f"), std::vector<std::uint8_t>(100, 1));
    EXPECT_EQ(s.code(), ErrorCode::DiskFull);
    EXPECT_EQ(failure_text(s.message()), "Disk full.");
    EXPECT_EQ(test::read_bytes(dir.file("f")), (std::vector<std::uint8_t>{9, 9, 9}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
}

TEST(FileLayer, ReadPrefixNeedsTheWholePrefix) {
    test::TempDir dir;
    test::write_bytes(dir.file("p"), std::vector<std::uint8_t>(767, 1));
    std::vector<std::uint8_t> bytes = {42};
    EXPECT_EQ(read_file_prefix(dir.file("p"), 768, bytes).code(), ErrorCode::ReadBeyondEnd);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{42});
    test::write_bytes(dir.file("p"), std::vector<std::uint8_t>(800, 2));
    ASSERT_TRUE(read_file_prefix(dir.file("p"), 768, bytes).ok());
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(768, 2));
}

TEST(FileLayer, ErrnoMapsToTheProgramsCodes) {
    struct Case {
        int err;
        ErrorCode code;
    };
    using enum ErrorCode;
    for (const Case& c :
         {Case{ENOENT, FileNotFound}, Case{ENOTDIR, InvalidFilename},
          Case{ENAMETOOLONG, InvalidFilename}, Case{EMFILE, TooManyOpenFiles},
          Case{ENFILE, TooManyOpenFiles}, Case{EACCES, FileAccessDenied},
          Case{EROFS, FileAccessDenied}, Case{ENOSPC, DiskFull}, Case{EFBIG, DiskFull}}) {
        EXPECT_EQ(file_error_code_from_errno(c.err), c.code) << "errno " << c.err;
        EXPECT_EQ(Status::from_errno(c.err).code(), c.code);
    }
    // Other errors are system errors that keep their errno apart, even where its number
    // equals one of the program's codes (EIO is 5, EINTR 4).
    for (int err : {EIO, ESRCH, EINTR, EISDIR, ENETDOWN, ENETUNREACH}) {
        const Status s = Status::from_errno(err);
        EXPECT_EQ(s.code(), SystemError);
        EXPECT_EQ(s.os_error(), err);
        EXPECT_EQ(s.message(), "I/O error " + std::to_string(err));
    }
}

}  // namespace
}  // namespace dabro
