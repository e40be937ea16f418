#include <gtest/gtest.h>

#include <sys/stat.h>

#include "document/file_layer.h"
#include "imaging/reference.h"
#include "interchange/palette_formats.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;

Palette filled(std::uint32_t value) {
    Palette p;
    p.fill(value);
    return p;
}

TEST(PaletteFile, TriplesBecomeEntries) {
    test::TempDir dir;
    Data bytes(kPaletteFileSize, 0);
    bytes[0] = 0x12;
    bytes[1] = 0x34;
    bytes[2] = 0x56;
    bytes[765] = 0xFF;
    bytes[767] = 0x01;
    test::write_bytes(dir.file("a.act"), bytes);
    Palette palette = filled(0xFF777777);
    ASSERT_TRUE(read_signed_or_act_palette(dir.file("a.act"), palette).ok());
    EXPECT_EQ(palette[0], 0x00123456u);
    EXPECT_EQ(palette[1], 0u);
    EXPECT_EQ(palette[255], 0x00FF0001u);
}

TEST(PaletteFile, ShortFilesChangeNothing) {
    test::TempDir dir;
    for (std::size_t size : {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{767}}) {
        SCOPED_TRACE(size);
        test::write_bytes(dir.file("short.act"), Data(size, 0x11));
        Palette palette = filled(0xABCDEF);
        const Status s = read_signed_or_act_palette(dir.file("short.act"), palette);
        EXPECT_EQ(s.code(), ErrorCode::ReadBeyondEnd);
        EXPECT_EQ(failure_text(s.message()), "Read beyond end of file.");
        EXPECT_EQ(palette, filled(0xABCDEF));
    }
}

TEST(PaletteFile, BytesAfterTheFirst768AreIgnored) {
    test::TempDir dir;
    test::Rng rng(3);
    Data bytes = test::random_bytes(rng, kPaletteFileSize);
    Data longer = bytes;
    longer.resize(5000, 0xEE);
    test::write_bytes(dir.file("exact.raw"), bytes);
    test::write_bytes(dir.file("long.act"), longer);
    Palette a{}, b{};
    ASSERT_TRUE(read_signed_or_act_palette(dir.file("exact.raw"), a).ok());
    ASSERT_TRUE(read_signed_or_act_palette(dir.file("long.act"), b).ok());
    EXPECT_EQ(a, b);
}

TEST(PaletteFile, MissingFile) {
    test::TempDir dir;
    Palette palette = filled(5);
    const Status s = read_signed_or_act_palette(dir.file("none.act"), palette);
    EXPECT_EQ(failure_text(s.message()), "File not found.");
    EXPECT_EQ(palette, filled(5));
}

TEST(PaletteFile, ReadOnlyFilesCanBeImported) {
    test::TempDir dir;
    test::write_bytes(dir.file("ro.act"), Data(kPaletteFileSize, 0x20));
    ASSERT_EQ(::chmod(dir.file("ro.act").c_str(), 0444), 0);
    Palette palette{};
    ASSERT_TRUE(read_signed_or_act_palette(dir.file("ro.act"), palette).ok());
    EXPECT_EQ(palette[100], 0x202020u);
}

TEST(PaletteFile, ExportWrites768BytesOverALongerFileAndRoundTrips) {
    test::TempDir dir;
    test::write_bytes(dir.file("out.act"), Data(4000, 0x99));
    Palette palette{};
    for (int i = 0; i < kPaletteEntries; ++i)
        palette[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(i) * 0x01020301u;  // top byte set
    ASSERT_TRUE(write_palette_as(dir.file("out.act"), palette, PaletteFormat::Act).ok());
    const Data written = test::read_bytes(dir.file("out.act"));
    ASSERT_EQ(written.size(), kPaletteFileSize);
    EXPECT_EQ(written[3 * 7], 0x0E);  // red of 0x070E1507
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.act"});

    Palette back{};
    ASSERT_TRUE(read_signed_or_act_palette(dir.file("out.act"), back).ok());
    for (int i = 0; i < kPaletteEntries; ++i)
        EXPECT_EQ(back[static_cast<std::size_t>(i)],
                  palette[static_cast<std::size_t>(i)] & 0xFFFFFF);
}

class FailingWrites : public FileLayer {
  public:
    ssize_t write(int, const void*, std::size_t) override { return -ENOSPC; }
};

TEST(PaletteFile, AFailedExportKeepsTheOldFile) {
    test::TempDir dir;
    test::write_bytes(dir.file("out.act"), Data{1, 2, 3});
    FailingWrites layer;
    ScopedFileLayer use(layer);
    const Status s = write_palette_as(dir.file("out.act"), Palette{}, PaletteFormat::Act);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(test::read_bytes(dir.file("out.act")), (Data{1, 2, 3}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.act"});
}

}  // namespace
}  // namespace dabro
