#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>

#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using PngWindow = WindowTest;

std::vector<std::uint32_t> rendering(const CollectionImage& image, const Palette& palette) {
    PixelImage pixels;
    EXPECT_TRUE(decode_pixels(image, pixels).ok());
    return render_rgba(pixels, palette).pixels;
}

TEST_F(PngWindow, TheImageMenuEndsWithThePngItemsAfterASeparator) {
    QStringList items;
    for (const QAction* a : form->MainMenu1->actions()[3]->menu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items.mid(5, 5),
              QStringList({"Export", "-", "Import PNG\u2026", "Export collection sheet\u2026",
                           "Import collection sheet\u2026"}));
}

// The bridge's items run on a readable collection; the first version's Export stays enabled.
TEST_F(PngWindow, TheBridgeItemsAreEnabledWithACollectionToWorkOn) {
    for (const QAction* item : {menu_item(*form, "ImportPng1"), menu_item(*form, "ExportSheet1"),
                                menu_item(*form, "ImportSheet1")})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(form->ExportImage1->isEnabled());
    open_document(*sample_document());
    for (const QAction* item : {menu_item(*form, "ImportPng1"), menu_item(*form, "ExportSheet1"),
                                menu_item(*form, "ImportSheet1")})
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
}

TEST_F(PngWindow, ExportWritesPngOrRawByTheChosenNameAndImportPngComesBackWithUndo) {
    open_document(*sample_document());
    const CollectionImage original = doc().collections[0].images[0];
    const Palette& palette = doc().collections[0].palettes[0];

    prompts.answer(dir.file("image.png"));
    form->ExportImage1->trigger();
    EXPECT_EQ(prompts.requests.back().dialog, FileDialog::ExportImageDialog);
    EXPECT_EQ(form->status_text(), "Image exported");
    prompts.answer(dir.file("image.raw"));
    form->SaveImage1->trigger();
    EXPECT_EQ(read_bytes(dir.file("image.raw")).size(), 2u * 6 * 5);

    // Into the second frame, which then shows the first frame's pixels.
    click_row(form->ListBox4, 1);
    const CollectionImage before = doc().collections[0].images[1];
    prompts.answer(dir.file("image.png"));
    menu_item(*form, "ImportPng1")->trigger();
    EXPECT_EQ(form->status_text(), "Image imported");
    const CollectionImage& imported = doc().collections[0].images[1];
    EXPECT_EQ(rendering(imported, palette), rendering(original, palette));
    EXPECT_TRUE(form->windowTitle().startsWith('*'));
    form->Undo1->trigger();
    EXPECT_TRUE(doc().collections[0].images[1] == before);
}

// With every entry of palette 0 one colour, only the indices the image holds tell its pixels
// apart under palettes 1 to 3: an edited PNG changes the edited pixel and keeps the others.
TEST_F(PngWindow, ImportPngKeepsTheIndicesOfPixelsItDidNotChange) {
    open_document(*sample_document());
    doc().collections[0].palettes[0].fill(0x102030);
    PixelImage before;
    ASSERT_TRUE(decode_pixels(doc().collections[0].images[0], before).ok());
    prompts.answer(dir.file("image.png"));
    form->ExportImage1->trigger();
    RgbaImage picture;
    ASSERT_TRUE(decode_png(read_bytes(dir.file("image.png")), "image.png", picture).ok());
    picture.pixels[0] = 0;
    std::vector<std::uint8_t> edited;
    ASSERT_TRUE(encode_png(picture, edited).ok());
    write_bytes(dir.file("image.png"), edited);
    prompts.answer(dir.file("image.png"));
    menu_item(*form, "ImportPng1")->trigger();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(' ').toStdString();
    PixelImage after;
    ASSERT_TRUE(decode_pixels(doc().collections[0].images[0], after).ok());
    before.pixels[0] = transparent_pixel();
    EXPECT_EQ(after, before);
}

TEST_F(PngWindow, ASheetGoesOutAndAnEditedOneComesBackAsOneUndoableStep) {
    open_document(*sample_document());
    click_row(form->ListBox3, 2);  // "eight": 10 frames of 8 directions
    const auto before = std::make_unique<SpriteDocument>(doc());
    const std::string sheet = dir.file("eight.png");
    prompts.answer(sheet);
    menu_item(*form, "ExportSheet1")->trigger();
    EXPECT_EQ(form->status_text(), "Sheet exported");

    prompts.answer(sheet);
    menu_item(*form, "ImportSheet1")->trigger();
    EXPECT_TRUE(doc() == *before) << "an unedited sheet changes nothing";

    RgbaImage pixels;
    ASSERT_TRUE(decode_png(read_bytes(sheet), "eight.png", pixels).ok());
    pixels.pixels[0] = 0;  // frame 0, direction 0 loses its top-left pixel
    std::vector<std::uint8_t> edited;
    ASSERT_TRUE(encode_png(pixels, edited).ok());
    write_bytes(sheet, edited);
    prompts.answer(sheet);
    menu_item(*form, "ImportSheet1")->trigger();
    EXPECT_EQ(form->status_text(), "Sheet imported");
    const ImageCollection& col = doc().collections[2];
    EXPECT_FALSE(col.images[0] == before->collections[2].images[0]);
    for (int k = 1; k < col.slot_count(); ++k)
        EXPECT_TRUE(col.images[k] == before->collections[2].images[k]) << k;
    form->Undo1->trigger();
    EXPECT_TRUE(doc() == *before);

    write_bytes(sheet, {1, 2, 3});
    prompts.answer(sheet);
    menu_item(*form, "ImportSheet1")->trigger();
    ASSERT_FALSE(prompts.errors.isEmpty());
    EXPECT_TRUE(prompts.errors.back().endsWith("eight.png is not a PNG file."))
        << prompts.errors.back().toStdString();
    EXPECT_TRUE(doc() == *before);
}

TEST_F(PngWindow, TheSheetAndPngDialogsStartInTheSpritesFolder) {
    std::filesystem::create_directory(dir.file("art"));
    open(write_sprite(*sample_document(), "art/doc.spr"));
    const QString folder = QString::fromStdString(dir.file("art"));
    for (QAction* item : {menu_item(*form, "ImportPng1"), form->ExportImage1,
                          menu_item(*form, "ExportSheet1"), menu_item(*form, "ImportSheet1")}) {
        item->trigger();
        EXPECT_EQ(prompts.requests.back().folder, folder) << item->text().toStdString();
    }
    // A name chosen beside another sprite is not offered here.
    prompts.answer(dir.file("elsewhere.png"));
    menu_item(*form, "ExportSheet1")->trigger();
    open(write_sprite(*sample_document(), "other.spr"));
    menu_item(*form, "ExportSheet1")->trigger();
    EXPECT_EQ(prompts.requests.back().folder, QString::fromStdString(dir.path()));
    EXPECT_EQ(prompts.requests.back().lastPath, QString::fromStdString(dir.file("elsewhere.png")));
    open(write_sprite(*sample_document(), "art/third.spr"));
    menu_item(*form, "ExportSheet1")->trigger();
    EXPECT_EQ(prompts.requests.back().lastPath, "");
    form->Open1->trigger();
    EXPECT_EQ(prompts.requests.back().folder, ".") << "the first dialogs keep theirs";
}

}  // namespace
}  // namespace dabro::test
