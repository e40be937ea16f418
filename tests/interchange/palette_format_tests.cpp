#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "imaging/reference.h"
#include "interchange/palette_formats.h"
#include "interchange/raw_import.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;
using Colours = std::vector<std::uint32_t>;

constexpr std::uint32_t kUntouched = 0x00ABCDEF;

Data text(std::string_view s) {
    return Data(s.begin(), s.end());
}

Palette untouched() {
    Palette p;
    p.fill(kUntouched);
    return p;
}

// A RIFF palette: an unrelated chunk of odd length (padded) before the data chunk.
Data riff(const Colours& colours, unsigned version = 0x0300, unsigned count = 0) {
    if (count == 0) count = static_cast<unsigned>(colours.size());
    Data b = text("RIFF....PAL ");
    for (char c : std::string_view("offl\x03\0\0\0xyz\0", 12))
        b.push_back(static_cast<std::uint8_t>(c));
    const std::size_t length = 4 + 4 * colours.size();
    for (std::uint8_t c : text("data")) b.push_back(c);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    b.insert(b.end(), {static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(version >> 8),
                       static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8)});
    for (std::uint32_t c : colours)
        b.insert(b.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                           static_cast<std::uint8_t>(c), 0});
    const std::size_t riffSize = b.size() - 8;
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return b;
}

Data triples(std::size_t n, std::uint8_t start) {
    Data b(3 * n);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(start + i);
    return b;
}

Colours colours_of_triples(std::size_t n, std::uint8_t start) {
    const Data b = triples(n, start);
    Colours c(n);
    for (std::size_t i = 0; i < n; ++i)
        c[i] = std::uint32_t{b[3 * i]} << 16 | std::uint32_t{b[3 * i + 1]} << 8 | b[3 * i + 2];
    return c;
}

Data act772(unsigned count, unsigned transparent) {
    Data b = triples(256, 9);
    b.insert(b.end(),
             {static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
              static_cast<std::uint8_t>(transparent >> 8), static_cast<std::uint8_t>(transparent)});
    return b;
}

struct GoodFile {
    const char* name;
    Data bytes;
    PaletteFormat format;
    Colours colours;
};

class PaletteFiles : public testing::TestWithParam<GoodFile> {};

// Each file sets exactly its N colours into entries 0 to N - 1; the rest stay.
TEST_P(PaletteFiles, SetTheirColoursAndLeaveTheRest) {
    const GoodFile& f = GetParam();
    test::TempDir dir;
    test::write_bytes(dir.file(f.name), f.bytes);
    PaletteFile read;
    ASSERT_TRUE(read_palette_colours(dir.file(f.name), read).ok());
    EXPECT_EQ(read.format, f.format);
    EXPECT_EQ(read.colours, f.colours);

    Palette palette = untouched();
    ASSERT_TRUE(read_any_palette(dir.file(f.name), palette).ok());
    for (std::size_t i = 0; i < palette.size(); ++i)
        ASSERT_EQ(palette[i], i < f.colours.size() ? f.colours[i] : kUntouched) << "entry " << i;
}

std::vector<GoodFile> good_files() {
    return {

        {"photoshop.act", act772(3, 0xFFFF), PaletteFormat::Act772, colours_of_triples(3, 9)},
        {"transparent.act", act772(256, 7), PaletteFormat::Act772, colours_of_triples(256, 9)},
        // Four bytes that are no count: the old rule, 768 bytes and a tail to ignore.
        {"tail.act", act772(0x1234, 0xFFFF), PaletteFormat::Act, colours_of_triples(256, 9)},
        {"long.act", triples(300, 1), PaletteFormat::Act, colours_of_triples(256, 1)},
        {"sword_64x32.raw.pal", triples(16, 200), PaletteFormat::RawRgb,
         colours_of_triples(16, 200)},
        {"krita.gpl",
         text("GIMP Palette\nName: Skin tones\nColumns: 4\n#\n# a comment\n\n"
              "255   0   0\tRed\n  0 128 255\n  7   8   9 two words\n"),
         PaletteFormat::Gpl,
         {0xFF0000, 0x0080FF, 0x070809}},
        {"aseprite.gpl",
         text("GIMP Palette\r\nChannels: RGBA\r\n#\r\n1 2 3 128 Half\r\n4 5 6 255\r\n"),
         PaletteFormat::Gpl,
         {0x010203, 0x040506}},
        // 33 bytes, a multiple of 3: the signature decides, not raw RGB by the name.
        {"gimp_named.pal",
         text("GIMP Palette\nName: x\n255 0 0 Red\n"),
         PaletteFormat::Gpl,
         {0xFF0000}},
        {"psp.pal",
         text("JASC-PAL\r\n0100\r\n3\r\n255 255 255\r\n0 0 0\r\n16 32 48\r\n"),
         PaletteFormat::Jasc,
         {0xFFFFFF, 0x000000, 0x102030}},
        {"pixelorama.pal",
         text("JASC-PAL\n0100\n2\n1 2 3 255\n4 5 6 0\n\n"),
         PaletteFormat::Jasc,
         {0x010203, 0x040506}},
        {"windows.pal",
         riff({0x112233, 0x445566, 0x778899}),
         PaletteFormat::Riff,
         {0x112233, 0x445566, 0x778899}},
    };
}

INSTANTIATE_TEST_SUITE_P(HandMade, PaletteFiles, testing::ValuesIn(good_files()),
                         [](const testing::TestParamInfo<GoodFile>& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

// A signature decides whatever the name, also where the size would fit the .act.
TEST(PaletteFiles, ASignedFileIsItsFormatWhateverItsName) {
    test::TempDir dir;
    Data b = text("GIMP Palette\n1 2 3\n");
    b.resize(768, ' ');
    test::write_bytes(dir.file("text.act"), b);
    test::write_bytes(dir.file("text.gpl"), b);
    PaletteFile act, gpl;
    ASSERT_TRUE(read_palette_colours(dir.file("text.act"), act).ok());
    ASSERT_TRUE(read_palette_colours(dir.file("text.gpl"), gpl).ok());
    EXPECT_EQ(act.format, PaletteFormat::Gpl);
    EXPECT_EQ(act.colours, Colours{0x010203});
    EXPECT_EQ(gpl.format, PaletteFormat::Gpl);
    EXPECT_EQ(gpl.colours, Colours{0x010203});
}

struct BadFile {
    const char* name;
    Data bytes;
    const char* message;
};

std::string many_gpl_lines(int n) {
    std::string s = "GIMP Palette\n";
    for (int i = 0; i < n; ++i) s += "1 2 3\n";
    return s;
}

TEST(PaletteFiles, BadFilesSayWhereAndChangeNothing) {
    const BadFile cases[] = {
        {"v.gpl", text("GIMP Palette\n# c\n1 2 3\n1 300 3\n"),
         "v.gpl: line 4: the value 300 is outside 0 to 255."},
        {"n.gpl", text("GIMP Palette\n-1 2 3\n"),
         "n.gpl: line 2: the value -1 is outside 0 to 255."},
        {"w.gpl", text("GIMP Palette\n12 abc 3\n"), "w.gpl: line 2: 'abc' is not a number."},
        {"s.gpl", text("GIMP Palette\n12 13\n"),
         "s.gpl: line 2: expected red, green and blue from 0 to 255, found '12 13'"},
        {"m.gpl", text(many_gpl_lines(257)), "m.gpl: line 258: more than 256 colours."},
        {"e.gpl", text("GIMP Palette\nName: x\n# nothing\n"),
         "e.gpl: the palette holds no colours."},
        {"c.gpl", text("GIMP Palette\nColumns: wide\n1 2 3\n"),
         "c.gpl: line 2: Columns must be a number from 0 to 256."},
        {"h.gpl", text("GIMP palette\n1 2 3\n"),
         "h.gpl: line 1: expected 'GIMP Palette', found 'GIMP palette'"},
        {"r.gpl", triples(256, 0), "r.gpl: line 1: expected 'GIMP Palette', found"},
        {"ver.pal", text("JASC-PAL\r\n0200\r\n1\r\n1 2 3\r\n"),
         "ver.pal: line 2: expected the version 0100, found '0200'"},
        {"big.pal", text("JASC-PAL\r\n0100\r\n300\r\n"),
         "big.pal: line 3: 300 colours, more than 256."},
        {"few.pal", text("JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\n4 5 6\r\n"),
         "few.pal: line 6: the file ends after 2 of the 3 colours of line 3."},
        {"more.pal", text("JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"),
         "more.pal: line 5: more colours than the 1 of line 3."},
        {"name.pal", text("JASC-PAL\n0100\n1\n1 2 3 Red\n"),
         "name.pal: line 4: 'Red' is not a number."},
        {"cut.pal", text("JASC-PAL\n0100"),
         "cut.pal: line 3: the file ends before the colour count."},
        {"rv.pal", riff({1, 2}, 0x0200), "rv.pal: byte 32: version 0x0200, expected 0x0300."},
        {"rc.pal", riff({1, 2}, 0x0300, 300), "rc.pal: byte 34: 300 colours, more than 256."},
        {"rt.pal", riff({1, 2}, 0x0300, 3),
         "rt.pal: byte 32: the data chunk ends before its 3 colours."},
        {"rn.pal", Data{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'P', 'A', 'L', ' '},
         "rn.pal: byte 12: no data chunk holds colours."},
        {"short.act", Data(767, 1), "Read beyond end of file."},
        {"empty.act", Data{}, "Read beyond end of file."},
        {"odd.bin", Data(10, 1), "odd.bin is not a palette file of a known format."},
    };
    test::TempDir dir;
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        test::write_bytes(dir.file(c.name), c.bytes);
        Palette palette = untouched();
        const Status s = read_any_palette(dir.file(c.name), palette);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(failure_text(s.message()).substr(0, std::string_view(c.message).size()),
                  c.message);
        EXPECT_EQ(palette, untouched());
    }
}

// Palette > Import: signature formats by content, any other file as the 768-byte .act.
TEST(PaletteFiles, PaletteImportReadsSignaturesAndOtherwiseTheFirst768Bytes) {
    struct Case {
        const char* name;
        Data bytes;
        Colours colours;  // empty: "Read beyond end of file"
    };
    const Case cases[] = {
        {"hundred.act", triples(100, 1), {}},
        {"sword_2x1.raw.pal", triples(16, 2), {}},
        {"long.act", triples(300, 3), colours_of_triples(256, 3)},
        {"skin.pal", text("GIMP Palette\nName: x\n255 0 0 Red\n"), {0xFF0000}},
        {"psp.act", text("JASC-PAL\n0100\n1\n1 2 3\n"), {0x010203}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::write_bytes(dir.file(c.name), c.bytes);
        Palette palette = untouched();
        const Status s = read_signed_or_act_palette(dir.file(c.name), palette);
        if (c.colours.empty()) {
            EXPECT_EQ(s.message(), "Read beyond end of file");
            EXPECT_EQ(palette, untouched());
            continue;
        }
        ASSERT_TRUE(s.ok()) << s.message();
        for (std::size_t i = 0; i < palette.size(); ++i)
            ASSERT_EQ(palette[i], i < c.colours.size() ? c.colours[i] : kUntouched) << i;
    }
}

// Every cut of a RIFF file before its last colour's bytes fails and changes nothing.
TEST(PaletteFiles, EveryTruncatedRiffFails) {
    const Data whole = riff({0x010203, 0x040506, 0x070809});
    Colours colours;
    ASSERT_TRUE(parse_riff_palette(whole, colours).ok());
    for (std::size_t n = 0; n + 1 < whole.size(); ++n) {
        SCOPED_TRACE(n);
        Colours out{42};
        EXPECT_FALSE(parse_riff_palette(std::span(whole).first(n), out).ok());
        EXPECT_EQ(out, Colours{42});
    }
}

TEST(PaletteFiles, WrittenFilesReadBackTheSame) {
    test::TempDir dir;
    test::Rng rng(12);
    Palette palette{};
    for (auto& e : palette) e = rng.next() & 0xFFFFFF;
    palette[5] |= 0xFF000000;  // bits a palette file has no place for
    Palette expected = palette;
    expected[5] &= 0xFFFFFF;
    struct Case {
        const char* name;
        PaletteFormat format;
        std::size_t size;  // 0: text
    };
    for (const Case& c :
         {Case{"a.act", PaletteFormat::Act, 768}, Case{"b.act", PaletteFormat::Act772, 772},
          Case{"c.gpl", PaletteFormat::Gpl, 0}, Case{"d.pal", PaletteFormat::Jasc, 0}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(write_palette_as(dir.file(c.name), palette, c.format, "My \"pal\"\n").ok());
        const Data bytes = test::read_bytes(dir.file(c.name));
        if (c.size) {
            EXPECT_EQ(bytes.size(), c.size);
        }
        PaletteFile read;
        ASSERT_TRUE(read_palette_colours(dir.file(c.name), read).ok());
        EXPECT_EQ(read.format, c.format);
        EXPECT_EQ(read.colours, Colours(expected.begin(), expected.end()));
    }
    const std::string jasc(
        reinterpret_cast<const char*>(test::read_bytes(dir.file("d.pal")).data()), 21);
    EXPECT_EQ(jasc, "JASC-PAL\r\n0100\r\n256\r\n");
    const Data act = test::read_bytes(dir.file("b.act"));
    EXPECT_EQ(Data(act.end() - 4, act.end()), (Data{0x01, 0x00, 0xFF, 0xFF}));
    const Data gpl = test::read_bytes(dir.file("c.gpl"));
    EXPECT_EQ(std::string(gpl.begin(), gpl.begin() + 30), "GIMP Palette\nName: My \"pal\" \nC");
}

// Import by name with the reader that knows every format: GIMP's palette beside the raw
// file may be any of them.
TEST(PaletteFiles, ImportByNameTakesGimpsPaletteInAnyFormat) {
    test::TempDir dir;
    test::write_bytes(dir.file("s_1x1.raw"), {3, 255});
    test::write_bytes(dir.file("s_1x1.raw.pal"), text("JASC-PAL\r\n0100\r\n1\r\n9 8 7\r\n"));
    EncodedImage image;
    Palette palette = untouched();
    ASSERT_TRUE(import_raw_by_name(dir.file("s_1x1.raw"), image, palette).ok());
    EXPECT_EQ(palette[0], 0x090807u);
    EXPECT_EQ(palette[1], kUntouched);
}

}  // namespace
}  // namespace dabro
