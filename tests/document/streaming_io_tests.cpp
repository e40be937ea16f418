#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// Hands out at most `most` bytes a read and stores at most `most` bytes a write; the read
// numbered `failRead` (from 1) fails with `error`, and writes store nothing after
// `writesBeforeFull` calls.
class ChunkedLayer : public FileLayer {
  public:
    explicit ChunkedLayer(std::size_t most) : most_(most) {}
    int failRead = 0;
    int error = EBADF;
    int writesBeforeFull = -1;

    ssize_t read(int fd, void* buffer, std::size_t size) override {
        if (++reads_ == failRead) return -error;
        return FileLayer::read(fd, buffer, size < most_ ? size : most_);
    }
    ssize_t write(int fd, const void* buffer, std::size_t size) override {
        if (writesBeforeFull >= 0 && writes_++ >= writesBeforeFull) return 0;
        return FileLayer::write(fd, buffer, size < most_ ? size : most_);
    }

  private:
    std::size_t most_;
    int reads_ = 0;
    int writes_ = 0;
};

std::vector<std::uint8_t> numbered_bytes(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

std::vector<std::uint8_t> encode(const SpriteDocument& doc) {
    std::vector<std::uint8_t> bytes;
    const Status s = encode_sprite(doc, header_of(doc), bytes);
    EXPECT_TRUE(s.ok()) << s.message();
    return bytes;
}

// Images large enough that the file spans several of the reader's and writer's buffers.
test::DocumentShape large_shape(std::vector<test::CollectionShape> collections) {
    return {.sequences = 3,
            .framesPerSequence = 4,
            .nameLength = 6,
            .collections = std::move(collections),
            .imageWidth = 300,
            .imageHeight = 200,
            .seed = 17};
}

// --- FileReader -----------------------------------------------------------------------

class FileReaderModel : public ::testing::TestWithParam<std::size_t> {};

// Random reads, skips, appends and seeks, forward and back, near and far, give the bytes at
// the same positions as the file holds them, however the system hands them out.
TEST_P(FileReaderModel, EveryOperationMatchesTheBytesInTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    const auto bytes = numbered_bytes(700 * 1000 + 3);
    test::write_bytes(path, bytes);
    ChunkedLayer layer(GetParam());
    ScopedFileLayer use(layer);

    FileReader in;
    ASSERT_TRUE(in.open(path).ok());
    ASSERT_EQ(in.size(), bytes.size());
    std::minstd_rand rng(GetParam() + 1);
    std::size_t pos = 0;
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step) + " at " + std::to_string(pos));
        const std::size_t left = bytes.size() - pos;
        const std::size_t n = std::uniform_int_distribution<std::size_t>(
            0, std::min<std::size_t>(left, rng() % 4 == 0 ? 300000 : 40))(rng);
        switch (rng() % 4) {
            case 0: {
                std::vector<std::uint8_t> got(n);
                ASSERT_TRUE(in.read(got.data(), n));
                ASSERT_TRUE(
                    std::equal(got.begin(), got.end(), bytes.begin() + static_cast<long>(pos)));
                pos += n;
                break;
            }
            case 1: {
                std::vector<std::uint8_t> got = {42};
                ASSERT_TRUE(in.append(got, n));
                ASSERT_EQ(got.size(), n + 1);
                ASSERT_TRUE(
                    std::equal(got.begin() + 1, got.end(), bytes.begin() + static_cast<long>(pos)));
                pos += n;
                break;
            }
            case 2:
                ASSERT_TRUE(in.skip(n));
                pos += n;
                break;
            default:
                pos = std::uniform_int_distribution<std::size_t>(0, bytes.size())(rng);
                ASSERT_TRUE(in.seek(pos));
        }
        ASSERT_EQ(in.position(), pos);
    }
}

INSTANTIATE_TEST_SUITE_P(ReadSizes, FileReaderModel,
                         ::testing::Values(std::size_t{1} << 30, 4096, 997));

TEST(FileReader, PassingTheEndFailsWithoutAllocatingAndStaysFailed) {
    test::TempDir dir;
    test::write_bytes(dir.file("f"), numbered_bytes(1000));
    FileReader in;
    ASSERT_TRUE(in.open(dir.file("f")).ok());
    ASSERT_TRUE(in.skip(990));
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(in.append(out, 0x7FFFFFF0));
    EXPECT_EQ(out.capacity(), 0u) << "nothing may be allocated for bytes the file lacks";
    EXPECT_EQ(in.status().code(), ErrorCode::ReadBeyondEnd);
    std::uint8_t b = 0;
    EXPECT_FALSE(in.read(&b, 1)) << "a failed reader stays failed";
    EXPECT_FALSE(in.seek(0));
}

TEST(FileReader, AFileCutAfterOpeningIsReadBeyondEnd) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    test::write_bytes(path, numbered_bytes(400 * 1000));
    FileReader in;
    ASSERT_TRUE(in.open(path).ok());
    ASSERT_EQ(::truncate(path.c_str(), 150 * 1000), 0);
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(in.append(out, 300 * 1000));
    EXPECT_EQ(in.status().code(), ErrorCode::ReadBeyondEnd);
}

TEST(FileReader, AFailedReadGivesItsError) {
    test::TempDir dir;
    test::write_bytes(dir.file("f"), numbered_bytes(10000));
    ChunkedLayer layer(1000);
    layer.failRead = 3;
    ScopedFileLayer use(layer);
    FileReader in;
    ASSERT_TRUE(in.open(dir.file("f")).ok());
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(in.append(out, 5000));
    EXPECT_EQ(in.status().message(), "I/O error " + std::to_string(EBADF));
}

// --- loading from a file and from memory agree ----------------------------------------

struct LoadCase {
    const char* name;
    std::vector<test::CollectionShape> collections;
    char firstSectionBecomes;  // 0 keeps it
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class FileAndMemory : public ::testing::TestWithParam<LoadCase> {};

TEST_P(FileAndMemory, LoadTheSameDocument) {
    const LoadCase& c = GetParam();
    auto bytes = encode(*test::make_document(large_shape(c.collections)));
    if (c.firstSectionBecomes) {
        auto probe = make_session();
        ASSERT_TRUE(test::load_bytes(bytes, "p.spr", *probe).ok());
        bytes[static_cast<std::size_t>(probe->document.collections[0].imageSectionOffset) + 14] =
            static_cast<std::uint8_t>(c.firstSectionBecomes);
    }
    test::TempDir dir;
    const std::string path = dir.file("same.spr");
    test::write_bytes(path, bytes);

    for (std::size_t most : {std::size_t{1} << 30, std::size_t{333}}) {
        SCOPED_TRACE("reads of at most " + std::to_string(most));
        auto fromMemory = make_session();
        LoadReport memoryReport;
        ASSERT_TRUE(test::load_bytes(bytes, path, *fromMemory, &memoryReport).ok());
        ChunkedLayer layer(most);
        ScopedFileLayer use(layer);
        auto fromFile = make_session();
        LoadReport fileReport;
        const Status s = load_sprite(path, *fromFile, &fileReport);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_TRUE(fromFile->document == fromMemory->document);
        EXPECT_EQ(fromFile->imagesReadable, fromMemory->imagesReadable);
        EXPECT_EQ(fileReport.sawUnreadableSection, memoryReport.sawUnreadableSection);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FileAndMemory,
    ::testing::Values(LoadCase{"readable", {{3, 2}, {2, 1}}, 0},
                      LoadCase{"blank_between", {{2, 2}, {1, 1, kShortSection}, {2, 1}}, 0},
                      // The second section is found by its offset, far beyond the buffer.
                      LoadCase{"unknown_first", {{3, 2}, {2, 1}}, 'Z'}),
    [](const auto& info) { return std::string(info.param.name); });

// --- saving a buffer at a time ----------------------------------------------------------

TEST(StreamedSave, WritesWhatEncodeSpriteLaysOutHoweverTheWritesAreCut) {
    const auto doc = test::make_document(large_shape({{3, 2}, {1, 1, kShortSection}, {2, 1}}));
    const auto expected = encode(*doc);
    ASSERT_GT(expected.size(), 512u * 1024u);
    for (std::size_t most : {std::size_t{1} << 30, std::size_t{4099}}) {
        test::TempDir dir;
        ChunkedLayer layer(most);
        ScopedFileLayer use(layer);
        const Status s = save_sprite(dir.file("s.spr"), *doc, header_of(*doc));
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(test::read_bytes(dir.file("s.spr")), expected) << "writes of at most " << most;
    }
}

TEST(StreamedSave, DiskFullHalfWayKeepsTheTargetAndLeavesNoTemporaryFile) {
    const auto doc = test::make_document(large_shape({{3, 2}}));
    test::TempDir dir;
    const std::string target = dir.file("s.spr");
    test::write_bytes(target, {1, 2, 3});
    ChunkedLayer layer(64 * 1024);
    layer.writesBeforeFull = 4;
    ScopedFileLayer use(layer);
    const Status s = save_sprite(target, *doc, header_of(*doc));
    EXPECT_EQ(s.code(), ErrorCode::DiskFull);
    EXPECT_EQ(test::read_bytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.spr"});
}

TEST(StreamedSave, AFailingProducerKeepsTheTargetAndItsMessage) {
    test::TempDir dir;
    const std::string target = dir.file("t");
    test::write_bytes(target, {9});
    const Status s = write_file_atomically(target, [](ByteSink& sink) {
        const std::vector<std::uint8_t> part(100, 5);
        if (Status w = sink.write(part); !w.ok()) return w;
        return Status::failure("stopped");
    });
    EXPECT_EQ(s.message(), "stopped");
    EXPECT_EQ(test::read_bytes(target), std::vector<std::uint8_t>{9});
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"t"});
}

}  // namespace
}  // namespace dabro
