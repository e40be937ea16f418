#include <QMenu>
#include <QTest>

#include <string>

#include "window_fixture.h"

namespace dabro::test {
namespace {

using PaletteWindow = WindowTest;

std::vector<std::uint8_t> text(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST_F(PaletteWindow, NewItemsFollowTheFirstVersionsOwn) {
    const auto* menu = qobject_cast<QMenu*>(form->ImportPalette2->parent());
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (const QAction* a : menu->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"Import", "Export", QStringLiteral("Import into palette\u2026"),
                                  QStringLiteral("Export palette\u2026")}));
    EXPECT_TRUE(menu_item(*form, "ImportIntoPalette1")->shortcut().isEmpty());
    EXPECT_TRUE(menu_item(*form, "ExportPaletteAs1")->shortcut().isEmpty());
}

TEST_F(PaletteWindow, NewItemsAreEnabledWithACollectionSelected) {
    EXPECT_FALSE(menu_item(*form, "ImportIntoPalette1")->isEnabled());
    EXPECT_FALSE(menu_item(*form, "ExportPaletteAs1")->isEnabled());
    open_document(*sample_document());
    EXPECT_TRUE(menu_item(*form, "ImportIntoPalette1")->isEnabled());
    EXPECT_TRUE(menu_item(*form, "ExportPaletteAs1")->isEnabled());
}

TEST_F(PaletteWindow, ImportIntoPaletteSetsTheChosenSlotAndUndoes) {
    open_document(*sample_document());
    const ImageCollection before = doc().collections[0];
    write_bytes(dir.file("skin.gpl"), text("GIMP Palette\nName: skin\n# two\n1 2 3\n4 5 6 x\n"));
    prompts.answer_item(2);
    prompts.answer(dir.file("skin.gpl"));
    menu_item(*form, "ImportIntoPalette1")->trigger();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(' ').toStdString();
    EXPECT_EQ(prompts.itemRequests.at(0).items.size(), 4);
    EXPECT_EQ(prompts.requests.back().dialog, FileDialog::OpenDialog4);
    Palette expected = before.palettes[2];
    expected[0] = 0x010203;
    expected[1] = 0x040506;
    EXPECT_EQ(doc().collections[0].palettes[2], expected);
    EXPECT_EQ(doc().collections[0].palettes[0], before.palettes[0]);
    EXPECT_EQ(form->status_text(), "Palette imported");
    form->Undo1->trigger();
    EXPECT_EQ(doc().collections[0].palettes[2], before.palettes[2]);
}

TEST_F(PaletteWindow, ABadFileOrACancelChangesNothing) {
    open_document(*sample_document());
    const Palette before = doc().collections[0].palettes[1];
    write_bytes(dir.file("bad.pal"), text("JASC-PAL\r\n0100\r\n1\r\n1 2 300\r\n"));
    prompts.answer_item(1);
    prompts.answer(dir.file("bad.pal"));
    menu_item(*form, "ImportIntoPalette1")->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"bad.pal: line 4: the value 300 is outside 0 to 255."}));
    menu_item(*form, "ImportIntoPalette1")
        ->trigger();                         // the slot question cancelled: no file dialog
    EXPECT_EQ(prompts.requests.size(), 2u);  // Open's and the first import's
    EXPECT_EQ(doc().collections[0].palettes[1], before);
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

TEST_F(PaletteWindow, ExportPaletteWritesTheChosenSlotInTheChosenFormat) {
    open_document(*sample_document());
    doc().collections[0].palettes[3][0] = 0x0A0B0C;
    prompts.answer_item(3);
    prompts.answer_item(3);  // JASC
    prompts.answer(dir.file("out.pal"));
    menu_item(*form, "ExportPaletteAs1")->trigger();
    const FileRequest& r = prompts.requests.back();
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.filter, "*.pal|*.pal");
    EXPECT_EQ(r.defaultExtension, "pal");
    const auto bytes = read_bytes(dir.file("out.pal"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 29),
              "JASC-PAL\r\n0100\r\n256\r\n10 11 12");
    EXPECT_EQ(form->status_text(), "Palette exported");
}

// Palette > Import keeps its dialog and texts, and now also reads other programs' palettes.
TEST_F(PaletteWindow, PaletteImportRecognisesFormatsByContent) {
    open_document(*sample_document());
    write_bytes(dir.file("win.act"), text("JASC-PAL\n0100\n1\n250 0 1\n"));
    prompts.answer(dir.file("win.act"));
    QTest::keyClick(form->Edit10, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(prompts.requests.back().dialog, FileDialog::OpenDialog3);
    EXPECT_EQ(doc().collections[0].palettes[0][0], 0xFA0001u);
    EXPECT_EQ(form->status_text(), "Palette imported");

    // A headerless file shorter than 768 bytes is no palette there, whatever its size.
    const Palette before = doc().collections[0].palettes[0];
    write_bytes(dir.file("short.act"), std::vector<std::uint8_t>(300, 7));
    prompts.answer(dir.file("short.act"));
    QTest::keyClick(form->Edit10, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(prompts.errors, QStringList({"Read beyond end of file."}));
    EXPECT_EQ(doc().collections[0].palettes[0], before);
}

}  // namespace
}  // namespace dabro::test
