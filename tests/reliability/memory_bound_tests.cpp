#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "document/sprite_loader.h"
#include "interchange/palette_formats.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define DABRO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DABRO_ASAN 1
#endif
#endif

namespace dabro {
namespace {

using test::Bytes;

// Room for what the process allocates besides the document and the file: the allocator's
// own tables, a few buffers, the loader's messages.
constexpr std::size_t kSlack = std::size_t{32} << 20;

std::size_t address_space_in_use() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long pages = 0;
    const int n = std::fscanf(f, "%lu", &pages);
    std::fclose(f);
    return n == 1 ? pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

// The start of a file with one collection of one image, up to that image's data.
Bytes one_image_file(std::int32_t dataLength) {
    Bytes b;
    b.signature().header(0).i32(1);
    b.collection_tag().i32(0).name("c").i32(1).i32(1).i32(0).i32(0).i32(1).i32(1);
    b.section_start('1');
    for (int p = 0; p < 4; ++p) b.i32(0);
    b.u8(1)
        .zeros(8)
        .raw(std::string_view("<zar>\0", 6))
        .u8(0)
        .u8(0)
        .i32(1)
        .i32(1)
        .u8(0)
        .i32(dataLength);
    return b;
}

std::vector<std::uint8_t> valid_large_image(std::size_t size) {
    Bytes b = one_image_file(static_cast<std::int32_t>(size));
    b.zeros(size).zeros(3);
    return b.get();
}

// Collection 0 holds a large image; every other collection is either a blank section or one
// whose stored offset points back at collection 0's section. A loader that followed such
// offsets would copy the same image once per collection.
std::vector<std::uint8_t> offsets_pointing_back(std::size_t size) {
    Bytes b;
    b.signature().header(0).i32(kMaxCollections);
    std::vector<std::size_t> offsetAt;
    for (int c = 0; c < kMaxCollections; ++c) {
        b.collection_tag();
        offsetAt.push_back(b.size());
        b.i32(0).name("c").i32(1).i32(1).i32(0).i32(0).i32(1).i32(1);
    }
    const auto first = static_cast<std::int32_t>(b.size());
    b.section_start('1');
    for (int p = 0; p < 4; ++p) b.i32(0);
    b.image_entry(0, 1, 1, 0, std::vector<std::uint8_t>(size, 4));
    for (int c = 0; c < kMaxCollections; ++c)
        b.patch_i32(offsetAt[static_cast<std::size_t>(c)], first);
    // Collection 1 is blank; its 4-byte value ends the file's real sections.
    b.patch_i32(offsetAt[1], static_cast<std::int32_t>(b.size()));
    b.section_start(' ').i32(0);
    return b.get();
}

struct MemoryCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> file;
    std::uint64_t sparseSize;  // when set, the file is extended to this size without data
    std::size_t multiple;      // address space allowed beyond the document, times the file size
    bool loads;                // whether the load succeeds
};

std::ostream& operator<<(std::ostream& os, const MemoryCase& c) {
    return os << c.name;
}

const MemoryCase kCases[] = {
    {"data_length_claims_2GB", [] { return one_image_file(0x7FFFFFFF).zeros(100).get(); }, 0, 2,
     false},
    {"data_length_negative", [] { return one_image_file(-16).zeros(100).get(); }, 0, 2, false},
    {"sequence_count_claims_2G",
     [] { return Bytes().signature().header(0x7FFFFFFF).zeros(64).get(); }, 0, 2, false},
    {"frame_count_claims_2G",
     [] { return Bytes().signature().header(1).i32(0x7FFFFFFF).zeros(64).get(); }, 0, 2, false},
    {"name_length_claims_2GB",
     [] { return Bytes().signature().header(1).i32(0).i32(0x7FFFFFF0).zeros(64).get(); }, 0, 2,
     false},
    {"collection_count_claims_2G",
     [] { return Bytes().signature().header(0).i32(0x7FFFFFFF).zeros(64).get(); }, 0, 2, false},
    {"slots_claim_4G",
     [] {
         return Bytes()
             .signature()
             .header(0)
             .i32(1)
             .collection_tag()
             .i32(0)
             .name("c")
             .i32(65536)
             .i32(65536)
             .zeros(64)
             .get();
     },
     0, 2, false},
    {"palette_count_claims_2G",
     [] {
         Bytes b;
         b.signature().header(0).i32(1).collection_tag().i32(0).name("c").i32(0).i32(0);
         return b.section_start('1').i32(0x7FFFFFFF).zeros(64).get();
     },
     0, 2, false},
    {"valid_8MB_image", [] { return valid_large_image(8u << 20); }, 0, 3, true},
    {"offsets_pointing_back", [] { return offsets_pointing_back(4u << 20); }, 0, 3, true},
    // Nothing after the last image section is read, so a huge tail costs nothing.
    {"sprite_with_3GB_tail", [] { return valid_large_image(16); }, std::uint64_t{3} << 30, 0, true},
};

class MemoryBound : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryBound, LoadNeedsAtMostTheDocumentAndASmallMultipleOfTheFile) {
#ifdef DABRO_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of shadow memory";
#endif
    const MemoryCase& c = GetParam();
    test::TempDir dir;
    const std::string path = dir.file("hostile.spr");
    const std::vector<std::uint8_t> bytes = c.file();
    test::write_bytes(path, bytes);
    std::uint64_t fileSize = bytes.size();
    if (c.sparseSize > 0) {
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.sparseSize)), 0);
        fileSize = c.sparseSize;
    }

    const int code = test::run_in_child([&] {
        auto session = make_session();
        // One load beforehand, so that whatever is set up on first use is in the baseline.
        auto warmup = make_session();
        (void)load_sprite(path + ".missing", *warmup);
        const std::size_t limit = address_space_in_use() + kSlack + c.multiple * fileSize;
        const rlimit as{limit, limit};
        if (::setrlimit(RLIMIT_AS, &as) != 0) return 2;
        const Status s = load_sprite(path, *session);
        std::fprintf(stderr, "%s: %s\n", c.name, s.ok() ? "loaded" : s.message().c_str());
        return s.ok() == c.loads ? 0 : 3;
    });
    EXPECT_EQ(code, 0) << (code == test::kChildOutOfMemory ? "ran out of memory"
                           : code == 3                     ? "unexpected outcome"
                                                           : "child failed");
}

INSTANTIATE_TEST_SUITE_P(Files, MemoryBound, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A palette file is read only as far as its 768 bytes, whatever its size.
TEST(MemoryBoundPalette, HugePaletteFileReadsOnlyItsStart) {
#ifdef DABRO_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of shadow memory";
#endif
    test::TempDir dir;
    const std::string path = dir.file("huge.act");
    test::write_bytes(path, std::vector<std::uint8_t>(768, 7));
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(std::uint64_t{3} << 30)), 0);
    const int code = test::run_in_child([&] {
        Palette palette{};
        const std::size_t limit = address_space_in_use() + kSlack;
        const rlimit as{limit, limit};
        if (::setrlimit(RLIMIT_AS, &as) != 0) return 2;
        if (!read_signed_or_act_palette(path, palette).ok()) return 3;
        return palette[255] == 0x070707 ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace dabro
