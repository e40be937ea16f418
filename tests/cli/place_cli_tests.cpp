#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_runner.h"
#include "document/sprite_saver.h"
#include "imaging/pixel_image.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// Collection 0: 3 frames x 2 directions of 4 x 3 images whose visible pixels are columns 1-2
// of rows 0-1, but slot 5's, which has none; slot k's box is at (k, 10k), slot 2's three pixels
// too wide. Collection 1's images were never read. Sequence 0 shows collection 0's frames
// 2, 0, 2 and 7 (which it does not have); sequence 1 shows collection 1; sequence 2 names
// collection 7.
std::unique_ptr<SpriteDocument> placed_document() {
    auto doc = test::make_document(
        {.sequences = 3, .framesPerSequence = 4, .collections = {{3, 2}, {1, 1, kShortSection}}});
    const std::int16_t shown[] = {2, 0, 2, 7};
    for (std::size_t q = 0; q < 4; ++q) doc->sequences[0].imageIndex[q] = shown[q];
    doc->sequences[0].collectionIndex = 0;
    doc->sequences[1].collectionIndex = 1;
    doc->sequences[1].imageIndex[0] = 0;
    doc->sequences[2].collectionIndex = 7;
    ImageCollection& c = doc->collections[0];
    for (int k = 0; k < 6; ++k) {
        PixelImage pixels{4, 3, std::vector<Pixel>(12)};
        if (k != 5)
            for (int at : {1, 2, 5, 6})
                pixels.pixels[static_cast<std::size_t>(at)] = indexed_pixel(5, 255);
        c.images[static_cast<std::size_t>(k)].width = 4;
        c.images[static_cast<std::size_t>(k)].height = 3;
        c.images[static_cast<std::size_t>(k)].set_data(encode_compact(pixels));
        c.boxes[static_cast<std::size_t>(k)] = {k, 10 * k, k + 4, 10 * k + 3};
    }
    c.boxes[2].right = 9;
    doc->collections[1].boxes[0] = {0, 0, 1, 1};
    return doc;
}

struct Case {
    test::Args options;
    std::string printed;  // or, when the run is refused, its message
    bool refused = false;
};

TEST(Place, EachOperationPrintsTheBoxesItChangesAndRefusalsWriteNothing) {
    const Case cases[] = {
        {{"-c", "0", "-f", "1", "-d", "0", "--by", "2,-3"},
         "collection 0 frame 1 direction 0: 2,20,9,23 -> 4,17,11,20\n"},
        {{"-c", "0", "-d", "1", "--set", ",40"},
         "collection 0 frame 0 direction 1: 1,10,5,13 -> 1,40,5,43\n"
         "collection 0 frame 1 direction 1: 3,30,7,33 -> 3,40,7,43\n"
         "collection 0 frame 2 direction 1: 5,50,9,53 -> 5,40,9,43\n"},
        {{"-s", "0", "-d", "0", "--anchor", "bottom", "--at", "32,40"},
         "collection 0 frame 0 direction 0: 0,0,4,3 -> 30,38,34,41\n"
         "collection 0 frame 2 direction 0: 4,40,8,43 -> 30,38,34,41\n"},
        {{"-c", "0", "-d", "1", "--anchor", "top-right", "--at", "10,"},
         "collection 0 frame 0 direction 1: 1,10,5,13 -> 7,10,11,13\n"
         "collection 0 frame 1 direction 1: 3,30,7,33 -> 7,30,11,33\n"
         "collection 0 frame 2 direction 1: no visible pixel, left where it is\n"},
        // Together: one move from the union of the direction's visible pixels, [2, 6) x [10, 32).
        {{"-c", "0", "-d", "1", "--anchor", "centre", "--at", "0,0", "--together"},
         "collection 0 frame 0 direction 1: 1,10,5,13 -> -3,-11,1,-8\n"
         "collection 0 frame 1 direction 1: 3,30,7,33 -> -1,9,3,12\n"
         "collection 0 frame 2 direction 1: 5,50,9,53 -> 1,29,5,32\n"},
        {{"-c", "0", "-f", "2", "-d", "1", "--anchor", "left", "--at", "1,1", "--together"},
         "collection 0 frame 2 direction 1: no visible pixel, left where it is\nNo box changed\n"},
        {{"-c", "0", "--fit-box"}, "collection 0 frame 1 direction 0: 2,20,9,23 -> 2,20,6,23\n"},
        {{"-c", "0", "-f", "1", "--copy-from", "0"},
         "collection 0 frame 1 direction 0: 2,20,9,23 -> 0,0,7,3\n"
         "collection 0 frame 1 direction 1: 3,30,7,33 -> 1,10,5,13\n"},
        {{"-c", "0", "-f", "1", "-d", "0", "--copy-from", "0:1", "--y-only"},
         "collection 0 frame 1 direction 0: 2,20,9,23 -> 2,10,9,13\n"},
        {{"-s", "all", "-d", "0", "--by", "0,0"}, "No box changed\n"},
        {{"-s", "1", "--set", "5,5"}, "collection 1 frame 0 direction 0: 0,0,1,1 -> 5,5,6,6\n"},
        // Refused.
        {{"-s", "1", "--fit-box"}, "Sprite with compressed images. Images unaccesible", true},
        {{"-s", "all", "--anchor", "top", "--at", "1,1"},
         "Sprite with compressed images. Images unaccesible",
         true},
        {{"-c", "0"}, "Give one of --by, --set, --anchor, --fit-box or --copy-from", true},
        {{"-c", "0", "--by", "1,1", "--fit-box"},
         "Give one of --by, --set, --anchor, --fit-box or --copy-from",
         true},
        {{"--by", "1,1"}, "Give either -c or -s", true},
        {{"-c", "0", "-s", "0", "--by", "1,1"}, "Give either -c or -s", true},
        {{"-s", "0", "-f", "1", "--by", "1,1"}, "-f goes with -c", true},
        {{"-c", "0", "--by", "1,1", "--at", "1,1"}, "--at goes with --anchor", true},
        {{"-c", "0", "--set", "1,1", "--together"}, "--together goes with --anchor", true},
        {{"-c", "0", "--by", "1,1", "--x-only"}, "--x-only goes with --copy-from", true},
        {{"-c", "0", "--copy-from", "0", "--x-only", "--y-only"},
         "Give --x-only or --y-only, not both",
         true},
        {{"-c", "0", "--anchor", "middle", "--at", "1,1"},
         "There is no point middle: use top-left, top, top-right, left, centre, right, "
         "bottom-left, bottom or bottom-right",
         true},
        {{"-c", "0", "--anchor", "top"}, "--anchor needs --at X,Y", true},
        {{"-c", "0", "--by", "x,1"}, "'x' is not a valid integer value", true},
        {{"-c", "0", "--by", "1"}, "'1' is not a pair of numbers: use X,Y", true},
        {{"-c", "0", "--by", "1,"}, "'1,' is not a pair of numbers: use X,Y", true},
        {{"-c", "0", "--set", ","},
         "',' is not a pair of numbers: use X,Y, leaving out at most one",
         true},
        {{"-c", "2", "--by", "1,1"},
         "There is no collection 2: the sprite has 2 collections",
         true},
        {{"-c", "0", "-f", "3", "--by", "1,1"},
         "There is no frame 3: the collection has 3 frames",
         true},
        {{"-c", "0", "-d", "2", "--by", "1,1"},
         "There is no direction 2: the collection has 2 directions",
         true},
        {{"-s", "3", "--by", "1,1"}, "There is no sequence 3: the sprite has 3 sequences", true},
        {{"-s", "2", "--by", "1,1"},
         "Sequence 2 shows collection 7, which the sprite does not have",
         true},
        {{"-c", "0", "--copy-from", "0:2"},
         "There is no direction 2: the collection has 2 directions",
         true},
        {{"-c", "0", "-f", "0", "-d", "0", "--by", "2147483647,0"},
         "The box of collection 0 frame 0 direction 0 would leave the 32-bit range: "
         "2147483647,0,2147483651,3",
         true},
    };
    test::TempDir dir;
    const std::string sprite = dir.file("in.spr");
    const std::string out = dir.file("out.spr");
    auto doc = placed_document();
    ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    using test::operator+;
    for (const Case& c : cases) {
        SCOPED_TRACE(test::joined(c.options));
        std::filesystem::remove(out);
        const auto dry =
            test::run_cli(test::Args{"place", sprite} + c.options + test::Args{"--dry-run"});
        const auto r =
            test::run_cli(test::Args{"place", sprite} + c.options + test::Args{"-o", out});
        if (c.refused) {
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.last_error_line(), c.printed + ".");
            EXPECT_EQ(dry.last_error_line(), c.printed + ".");
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.printed);
        EXPECT_EQ(dry.out, c.printed);
        // What was written is what was printed: placing it again the same way changes nothing,
        // but for a move.
        const auto again =
            test::run_cli(test::Args{"place", out} + c.options + test::Args{"--dry-run"});
        const bool move = std::find(c.options.begin(), c.options.end(), "--by") != c.options.end();
        EXPECT_EQ(again.out.find(" -> ") == std::string::npos,
                  !move || c.printed.find(" -> ") == std::string::npos)
            << again.out;
    }
    EXPECT_EQ(test::run_cli({"place", sprite, "-c", "0", "--fit-box"}).last_error_line(),
              "Option -o is required unless --dry-run is given.");
    EXPECT_NE(test::run_cli({"place", sprite, "-c", "0", "--fit-box", "-o", sprite})
                  .last_error_line()
                  .find("is the same file as the input"),
              std::string::npos);
    // With --dry-run nothing is written, so -o may name anything, FILE too.
    EXPECT_EQ(
        test::run_cli({"place", sprite, "-c", "0", "--fit-box", "--dry-run", "-o", sprite}).code,
        0);
    EXPECT_NE(
        test::run_cli({"place", sprite, "-c", "0", "--fit-box", "--dry-run"}).out.find(" -> "),
        std::string::npos);
}

}  // namespace
}  // namespace dabro
