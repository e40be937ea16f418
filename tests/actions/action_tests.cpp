// The actions at their own layer: each command's round trip and its refusals.
#include <gtest/gtest.h>

#include "actions/animate.h"
#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "actions/palette_actions.h"
#include "actions/placement_actions.h"
#include "actions/sequence_render.h"
#include "support/sample_sprite.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

class Actions : public ::testing::Test {
  protected:
    std::unique_ptr<SpriteDocument> doc = test::make_sample_document();
    test::TempDir dir;

    // The first image of collection 0 with a pixel or more.
    ImageRef some_image() const {
        const ImageCollection& col = doc->collections[0];
        for (int k = 0; k < col.slot_count(); ++k)
            if (col.images[static_cast<std::size_t>(k)].width > 1) return {0, k};
        return {0, 0};
    }
};

// Export image and import it again, as PNG and as raw: the pixels come back unchanged.
TEST_F(Actions, ExportedImagesImportBackUnchanged) {
    const ImageRef ref = some_image();
    const CollectionImage before = doc->collections[0].images[static_cast<std::size_t>(ref.slot)];
    for (const char* name : {"a.png", "a.RAW"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        ASSERT_TRUE(export_image(*doc, ref, 0, path, true).ok());
        CommandPtr step;
        const bool raw = std::string(name).ends_with(".RAW");
        ASSERT_TRUE((raw ? import_raw_step(*doc, ref, path, step)
                         : import_png_step(*doc, ref, path, {}, step))
                        .ok());
        step->apply(*doc);
        PixelImage a, b;
        ASSERT_TRUE(decode_pixels(before, a).ok());
        ASSERT_TRUE(
            decode_pixels(doc->collections[0].images[static_cast<std::size_t>(ref.slot)], b).ok());
        EXPECT_EQ(a.width, b.width);
        ASSERT_EQ(a.pixels.size(), b.pixels.size());
        for (std::size_t i = 0; i < a.pixels.size(); ++i) {
            EXPECT_EQ(a.pixels[i].alpha, b.pixels[i].alpha);
            if (a.pixels[i].kind == PixelKind::Indexed && a.pixels[i].alpha > 0) {
                EXPECT_EQ(a.pixels[i].index, b.pixels[i].index);
            }
        }
    }
}

TEST_F(Actions, ASheetImportsBackAsTheSameCollection) {
    const ImageCollection before = doc->collections[1];
    ASSERT_TRUE(export_collection_sheet(*doc, 1, dir.file("s.png")).ok());
    CommandPtr step;
    ASSERT_TRUE(import_sheet_step(*doc, 1, dir.file("s.png"), Encoding::Compact, step).ok());
    step->apply(*doc);
    EXPECT_EQ(doc->collections[1].palettes, before.palettes);
    EXPECT_EQ(doc->collections[1].boxes, before.boxes);
}

TEST_F(Actions, PalettesRoundTripInEveryWritableFormat) {
    Palette numbered{};
    for (int i = 0; i < kPaletteEntries; ++i)
        numbered[static_cast<std::size_t>(i)] = (0x10203u * static_cast<unsigned>(i)) & 0xFFFFFFu;
    doc->collections[0].palettes[2] = numbered;
    for (PaletteFormat f :
         {PaletteFormat::Act, PaletteFormat::Act772, PaletteFormat::Gpl, PaletteFormat::Jasc}) {
        SCOPED_TRACE(static_cast<int>(f));
        const std::string path = dir.file("p");
        ASSERT_TRUE(export_palette(*doc, 0, 2, path, f).ok());
        CommandPtr step;
        ASSERT_TRUE(import_palette_step(*doc, 1, 3, path, PaletteReading::AnyFormat, step).ok());
        step->apply(*doc);
        EXPECT_EQ(doc->collections[1].palettes[3], numbered);
    }
}

TEST_F(Actions, RenderSequenceWritesTheRowAndItsFrameList) {
    ASSERT_TRUE(render_sequence(*doc, {0, 0, 0, 2}, dir.file("row.png")).ok());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"row.json", "row.png"}));
    EXPECT_FALSE(render_sequence(*doc, {0, 99, 0, 1}, dir.file("bad.png")).ok());
    EXPECT_EQ(dir.entries().size(), 2u);  // a refusal writes nothing
}

// Placing frames is one step, undone whole; a refusal builds none.
TEST_F(Actions, PlaceFramesIsOneStepUndoneWhole) {
    const auto before = std::make_unique<SpriteDocument>(*doc);
    PlaceRequest request;
    request.images = {.bySequence = true, .sequence = kPlaceAll};
    request.operation = PlaceOperation::Anchor;
    request.pair = {std::nullopt, 40};
    PlaceOutcome placed;
    ASSERT_TRUE(place_frames(*doc, request, placed).ok());
    ASSERT_TRUE(placed.step);
    EXPECT_EQ(placed.step->name(), "Place frames");
    EXPECT_TRUE(placed.step->apply(*doc));
    EXPECT_NE(doc->collections[1].boxes[0], before->collections[1].boxes[0]);
    placed.step->revert(*doc);
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_EQ(doc->collections[c].boxes, before->collections[c].boxes);
    request.pair.y = INT32_MAX;
    EXPECT_FALSE(place_frames(*doc, request, placed).ok());
    EXPECT_FALSE(placed.step);
}

// The scale is refused outside 1 to 16 (the drawing once clamped it silently).
TEST_F(Actions, ScaleHasOneOwner) {
    for (int scale : {0, 17})
        EXPECT_EQ(render_sequence(*doc, {0, 0, 0, scale}, dir.file("row.png")).message(),
                  "There is no scale " + std::to_string(scale) + ": use 1 to 16");
    EXPECT_TRUE(dir.entries().empty());
}

// Refusals build no step and name the reason.
TEST_F(Actions, RefusalsBuildNoStep) {
    test::TempDir here;
    {
        std::FILE* f = std::fopen(here.file("short.act").c_str(), "wb");
        std::fputs("abc", f);
        std::fclose(f);
    }
    auto unread = std::make_unique<SpriteDocument>(*doc);
    unread->collections[0].imageSectionType = kShortSection;
    CommandPtr step;
    const struct {
        Status status;
        const char* text;
    } cases[] = {
        {import_palette_step(*doc, 0, 0, here.file("short.act"), PaletteReading::SignedOrAct, step),
         "Read beyond end of file"},
        {import_palette_step(*doc, 0, 4, here.file("short.act"), PaletteReading::AnyFormat, step),
         "There is no palette 4"},
        {import_png_step(*unread, some_image(), here.file("none.png"), {}, step),
         kUnreadableImages},
        {import_sheet_step(*unread, 0, here.file("none.png"), Encoding::Compact, step),
         kUnreadableImages},
        {export_image(*doc, some_image(), 0, here.file("none/a.png"), false), "not found"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.status.ok());
        EXPECT_NE(c.status.message().find(c.text), std::string::npos) << c.status.message();
    }
    EXPECT_EQ(step, nullptr);
}

// Whether each command can run now, as the window enables its items: one rule, one message.
TEST_F(Actions, ReadinessNamesTheFirstRuleNotMet) {
    auto unread = std::make_unique<SpriteDocument>(*doc);
    unread->collections[0].imageSectionType = kShortSection;
    const ImageRef none{0, doc->collections[0].slot_count()};
    const struct {
        Status status;
        const char* text;  // empty when the command can run
    } cases[] = {
        {image_ready(*doc, some_image()), ""},
        {image_ready(*unread, some_image()), ""},
        {image_ready(*doc, none), "No image is selected"},
        {pixels_ready(*doc, some_image()), ""},
        {pixels_ready(*doc, none), "No image is selected"},
        {pixels_ready(*unread, some_image()), kUnreadableImages},
        {sheet_ready(*doc, 0), ""},
        {sheet_ready(*unread, 0), kUnreadableImages},
        {sheet_ready(*doc, -1), "There is no collection -1"},
        {palette_ready(*unread, 0), ""},
        {palette_ready(*doc, doc->collectionCount), "There is no collection"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.status.ok(), *c.text == '\0') << c.status.message();
        EXPECT_NE(c.status.message().find(c.text), std::string::npos) << c.status.message();
    }
}

}  // namespace
}  // namespace dabro
