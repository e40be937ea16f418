#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <string>
#include <vector>

#include "child_process.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "interchange/palette_formats.h"
#include "interchange/raw_import.h"
#include "support/faulty_file_layer.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using test::Fault;
using test::FaultyFileLayer;
using test::FileCall;
using test::TempDir;

// Small documents: every test below repeats its operation once per file call.
test::DocumentShape small_shape(std::uint32_t seed) {
    return {.sequences = 2,
            .framesPerSequence = 3,
            .nameLength = 5,
            .collections = {{1, 2}, {2, 1, ' '}},
            .imageWidth = 4,
            .imageHeight = 3,
            .seed = seed};
}

std::vector<std::uint8_t> encode(const SpriteDocument& doc) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(encode_sprite(doc, header_of(doc), bytes).ok());
    return bytes;
}

// One way for the file layer to go wrong, and what the user must then read. A null message
// means the operation must absorb the fault (by resuming the write) and succeed.
struct FaultCase {
    const char* name;
    FileCall call;
    Fault fault;
    int error;
    const char* message;
};

std::ostream& operator<<(std::ostream& os, const FaultCase& c) {
    return os << c.name;
}

std::string case_name(const ::testing::TestParamInfo<FaultCase>& info) {
    return info.param.name;
}

// Chunks small enough that every file is read and written in several calls.
constexpr std::size_t kChunk = 1000;

std::string where(FileCall call, int n) {
    return std::string(to_string(call)) + " call " + std::to_string(n);
}

// --- saving ---------------------------------------------------------------------------

// Writes `newBytes` through `write(path)` once per call of the kind the case names, failing
// that call, over an existing file holding `oldBytes` and where no file was.
template <typename Write>
void for_every_write_call(const FaultCase& c, std::size_t chunk,
                          const std::vector<std::uint8_t>& oldBytes,
                          const std::vector<std::uint8_t>& newBytes, Write&& write) {
    FaultyFileLayer counter;
    counter.short_writes(chunk);
    {
        TempDir dir;
        ScopedFileLayer use(counter);
        ASSERT_TRUE(write(dir.file("f")).ok());
    }
    const int calls = counter.calls(c.call);
    ASSERT_GT(counter.calls(FileCall::Write), 3) << "the file should take several writes";

    for (bool existing : {true, false}) {
        for (int n = 1; n <= calls; ++n) {
            SCOPED_TRACE(where(c.call, n) + (existing ? ", over an existing file" : ", new file"));
            TempDir dir;
            const std::string target = dir.file("f");
            if (existing) test::write_bytes(target, oldBytes);
            FaultyFileLayer layer;
            layer.short_writes(chunk);
            layer.fail_nth(c.call, n, c.fault, c.error);
            Status s;
            {
                ScopedFileLayer use(layer);
                s = write(target);
            }
            ASSERT_TRUE(layer.fired());
            // A folder that refuses a new file, or the rename, still lets an existing file
            // be written over in place.
            const bool recovers = existing && c.error == EACCES &&
                                  (layer.fired_call() == FileCall::CreateTemp ||
                                   layer.fired_call() == FileCall::Rename);
            if (c.message && !recovers) {
                EXPECT_FALSE(s.ok())
                    << "failed " << to_string(layer.fired_call()) << " was ignored";
                EXPECT_EQ(s.message(), c.message);
                if (existing) {
                    EXPECT_EQ(test::read_bytes(target), oldBytes);
                    EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
                } else {
                    EXPECT_EQ(dir.entries(), std::vector<std::string>{})
                        << "a temporary file was left";
                }
            } else {
                EXPECT_TRUE(s.ok()) << s.message();
                EXPECT_EQ(test::read_bytes(target), newBytes);
                EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
            }
        }
    }
}

class SaveFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SaveFault, EveryFailingCallLeavesTheSpriteAsItWas) {
    const auto oldDoc = test::make_document(small_shape(1));
    const auto newDoc = test::make_document(small_shape(2));
    for_every_write_call(
        GetParam(), kChunk, encode(*oldDoc), encode(*newDoc),
        [&](const std::string& path) { return save_sprite(path, *newDoc, header_of(*newDoc)); });
}

Palette numbered_palette(std::uint32_t base) {
    Palette p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = (base + static_cast<std::uint32_t>(i) * 0x010203u) & 0xFFFFFF;
    return p;
}

std::vector<std::uint8_t> palette_file(const Palette& palette) {
    const auto bytes = palette_file_bytes(palette);
    return {bytes.begin(), bytes.end()};
}

TEST_P(SaveFault, EveryFailingCallLeavesThePaletteFileAsItWas) {
    const Palette palette = numbered_palette(0x0F0E0D);
    for_every_write_call(GetParam(), kChunk / 5, palette_file(numbered_palette(0x102030)),
                         palette_file(palette), [&](const std::string& path) {
                             return write_palette_as(path, palette, PaletteFormat::Act);
                         });
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFault,
    ::testing::Values(
        FaultCase{"io_error", FileCall::Any, Fault::Error, EIO, "I/O error 5"},
        FaultCase{"no_space", FileCall::Any, Fault::Error, ENOSPC, "Disk full"},
        FaultCase{"quota", FileCall::Any, Fault::Error, EDQUOT, "Disk full"},
        FaultCase{"denied", FileCall::Any, Fault::Error, EACCES, "File access denied"},
        FaultCase{"write_stores_nothing", FileCall::Write, Fault::ZeroWrite, 0, "Disk full"},
        FaultCase{"short_write", FileCall::Write, Fault::ShortWrite, 0, nullptr}),
    case_name);

TEST(SaveDiskFull, FailsWithDiskFullWhereverTheSpaceEnds) {
    const auto oldDoc = test::make_document(small_shape(3));
    const auto newDoc = test::make_document(small_shape(4));
    const std::vector<std::uint8_t> oldBytes = encode(*oldDoc);
    const std::vector<std::uint8_t> newBytes = encode(*newDoc);
    for (std::size_t room : {std::size_t{0}, std::size_t{1}, kChunk - 1, kChunk,
                             newBytes.size() / 2, newBytes.size() - 1, newBytes.size()}) {
        SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
        TempDir dir;
        const std::string target = dir.file("s.spr");
        test::write_bytes(target, oldBytes);
        FaultyFileLayer layer;
        layer.short_writes(kChunk);
        layer.disk_full_after(room);
        Status s;
        {
            ScopedFileLayer use(layer);
            s = save_sprite(target, *newDoc, header_of(*newDoc));
        }
        if (room < newBytes.size()) {
            EXPECT_EQ(s.message(), "Disk full");
            EXPECT_EQ(test::read_bytes(target), oldBytes);
        } else {
            EXPECT_TRUE(s.ok()) << s.message();
            EXPECT_EQ(test::read_bytes(target), newBytes);
        }
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.spr"});
    }
}

// The real limit, not a stand-in: the kernel cuts the write at the file-size limit and then
// refuses with EFBIG (SIGXFSZ is ignored, as a program that wants the error must do).
TEST(SaveFileSizeLimit, FailsWithDiskFullAndKeepsTheTarget) {
    const auto oldDoc = test::make_document(small_shape(5));
    const auto newDoc = test::make_document(small_shape(6));
    const std::vector<std::uint8_t> oldBytes = encode(*oldDoc);
    ASSERT_GT(encode(*newDoc).size(), 3000u);
    TempDir dir;
    const std::string target = dir.file("s.spr");
    test::write_bytes(target, oldBytes);

    const int code = test::run_in_child([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3000, 3000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        const Status s = save_sprite(target, *newDoc, header_of(*newDoc));
        if (s.ok()) return 3;
        std::fprintf(stderr, "save failed with: %s\n", s.message().c_str());
        return s.message() == "Disk full" ? 0 : 4;
    });
    EXPECT_EQ(code, 0) << "2: no limit, 3: the save succeeded, 4: another message";
    EXPECT_EQ(test::read_bytes(target), oldBytes);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.spr"});
}

// --- reading --------------------------------------------------------------------------

const auto kReadFaults = ::testing::Values(
    FaultCase{"io_error", FileCall::Any, Fault::Error, EIO, "I/O error 5"},
    FaultCase{"denied", FileCall::Any, Fault::Error, EACCES, "File access denied"},
    FaultCase{"too_many_files", FileCall::Any, Fault::Error, EMFILE, "Too many open files"},
    FaultCase{"ends_early", FileCall::Read, Fault::EndOfFile, 0, "Read beyond end of file"});

// Runs `operation` once per call of the kind the case names, failing that call, and checks
// after each run with `check(status, layer)`. Closing a file that was only read may fail
// without harm: the bytes are in by then, so that case may also succeed.
template <typename Operation, typename Check>
void for_every_call(const FaultCase& c, std::size_t chunk, Operation&& operation, Check&& check) {
    FaultyFileLayer counter;
    counter.short_reads(chunk);
    Status clean;
    {
        ScopedFileLayer use(counter);
        clean = operation();
    }
    ASSERT_TRUE(clean.ok()) << clean.message();
    check(clean);
    const int calls = counter.calls(c.call);
    ASSERT_GT(counter.calls(FileCall::Read), 3);
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE(where(c.call, n));
        FaultyFileLayer layer;
        layer.short_reads(chunk);
        layer.fail_nth(c.call, n, c.fault, c.error);
        Status s;
        {
            ScopedFileLayer use(layer);
            s = operation();
        }
        ASSERT_TRUE(layer.fired());
        if (layer.fired_call() != FileCall::Close) {
            EXPECT_FALSE(s.ok()) << "failed " << to_string(layer.fired_call()) << " was ignored";
            EXPECT_EQ(s.message(), c.message);
        }
        check(s);
    }
}

// Three collections, the middle one unreadable with 200 KB of contents this program does not
// know, so the loader reads a window, then seeks to the third section by its stored offset.
std::vector<std::uint8_t> file_with_a_seek() {
    test::Bytes b;
    b.signature().header(1).i32(2).u16(1).u16(2).i32(10).i32(-20).name("walk").u16(2);
    b.i32(3);
    std::vector<std::size_t> offsetAt;
    for (int c = 0; c < 3; ++c) {
        b.collection_tag();
        offsetAt.push_back(b.size());
        b.i32(0).name("c" + std::to_string(c)).i32(1).i32(2);
        for (int k = 0; k < 2; ++k) b.i32(-k).i32(k).i32(5 + k).i32(4);
    }
    for (int c = 0; c < 3; ++c) {
        b.patch_i32(offsetAt[static_cast<std::size_t>(c)], static_cast<std::int32_t>(b.size()));
        if (c == 1) {
            b.section_start('Z').zeros(200 * 1024);
            continue;
        }
        b.section_start('1');
        for (int p = 0; p < 4; ++p)
            b.i32(3).u32(0x112233).u32(0x445566).u32(static_cast<std::uint32_t>(c));
        for (int k = 0; k < 2; ++k)
            b.image_entry(1, 3, 2, 0, test::mixed_rle(3, 2, static_cast<std::uint32_t>(c + k)));
    }
    return b.get();
}

class LoadFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LoadFault, EveryFailingCallLeavesTheDocumentAsItWas) {
    TempDir dir;
    const std::string path = dir.file("new.spr");
    test::write_bytes(path, file_with_a_seek());
    auto session = make_session();
    session->document =
        *test::make_document({.sequences = 3, .collections = {{2, 2}, {1, 3}}, .seed = 9});
    session->currentFileName = "/earlier/old.spr";
    session->imagesReadable = true;
    const auto before = make_session();
    *before = *session;
    // What a load that succeeds makes of the same session.
    const auto loaded = make_session();
    *loaded = *session;
    ASSERT_TRUE(load_sprite(path, *loaded).ok());

    for_every_call(
        GetParam(), std::size_t{16} << 10, [&] { return load_sprite(path, *session); },
        [&](const Status& s) {
            if (s.ok()) {
                EXPECT_TRUE(session->document == loaded->document);
                *session = *before;
                return;
            }
            EXPECT_TRUE(session->document == before->document)
                << "the failed load changed the document";
            EXPECT_EQ(session->currentFileName, before->currentFileName);
            EXPECT_EQ(session->imagesReadable, before->imagesReadable);
        });
}

TEST(LoadFaultSeek, TheFileIsReadThroughASeek) {
    TempDir dir;
    const std::string path = dir.file("new.spr");
    test::write_bytes(path, file_with_a_seek());
    FaultyFileLayer counter;
    counter.short_reads(std::size_t{16} << 10);
    auto session = make_session();
    {
        ScopedFileLayer use(counter);
        ASSERT_TRUE(load_sprite(path, *session).ok());
    }
    EXPECT_GE(counter.calls(FileCall::Seek), 1);
    EXPECT_EQ(session->document.collections[2].imageSectionType, kReadableSection);
}

INSTANTIATE_TEST_SUITE_P(Faults, LoadFault, kReadFaults, case_name);

class ImportFault : public ::testing::TestWithParam<FaultCase> {
  protected:
    void SetUp() override {
        palettePath_ = dir_.file("sword.act");
        rawPath_ = dir_.file("sword_20x15.raw");
        test::write_bytes(palettePath_, palette_file(numbered_palette(0x102030)));
        std::vector<std::uint8_t> raw;
        for (int i = 0; i < 300; ++i)
            raw.insert(raw.end(),
                       {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i % 3 * 100)});
        test::write_bytes(rawPath_, raw);
        image_.width = 7;
        image_.height = 5;
        image_.kind = 2;
        image_.set_data({0x0D, 1, 2, 3});
    }

    TempDir dir_;
    std::string palettePath_;
    std::string rawPath_;
    CollectionImage image_;
    Palette palette_ = numbered_palette(0xABCDEF);
};

TEST_P(ImportFault, PaletteImportChangesNothingOnFailure) {
    const Palette before = palette_;
    const Palette expected = numbered_palette(0x102030);
    for_every_call(
        GetParam(), kChunk / 10, [&] { return read_signed_or_act_palette(palettePath_, palette_); },
        [&](const Status& s) {
            EXPECT_EQ(palette_, s.ok() ? expected : before);
            palette_ = before;
        });
}

TEST_P(ImportFault, RawImportChangesNothingOnFailure) {
    const CollectionImage before = image_;
    for_every_call(
        GetParam(), kChunk / 10, [&] { return test::load_raw_into(image_, rawPath_); },
        [&](const Status& s) {
            if (s.ok()) {
                EXPECT_EQ(image_.dataLength, 100 * 1 + 200 * 3);
            } else {
                EXPECT_EQ(image_, before);
            }
            image_ = before;
        });
}

TEST_P(ImportFault, ImportByNameChangesNothingOnFailure) {
    const CollectionImage imageBefore = image_;
    const Palette paletteBefore = palette_;
    for_every_call(
        GetParam(), kChunk / 10,
        [&] { return test::import_by_name_into(image_, palette_, rawPath_); },
        [&](const Status& s) {
            if (s.ok()) {
                EXPECT_EQ(image_.width, 20);
                EXPECT_EQ(image_.height, 15);
                EXPECT_EQ(palette_, numbered_palette(0x102030));
            } else {
                EXPECT_EQ(image_, imageBefore);
                EXPECT_EQ(palette_, paletteBefore);
            }
            image_ = imageBefore;
            palette_ = paletteBefore;
        });
}

INSTANTIATE_TEST_SUITE_P(Faults, ImportFault, kReadFaults, case_name);

}  // namespace
}  // namespace dabro
