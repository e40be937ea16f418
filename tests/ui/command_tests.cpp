#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "document/sprite_loader.h"
#include "imaging/halve.h"
#include "imaging/render.h"
#include "interchange/palette_file.h"
#include "support/sprite_builder.h"
#include "ui/app_info.h"
#include "ui/image_view.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using Commands = WindowTest;

std::unique_ptr<SpriteDocument> loaded(const std::string& path) {
    auto s = make_session();
    const Status st = load_sprite(path, *s);
    EXPECT_TRUE(st.ok()) << st.message();
    return std::make_unique<SpriteDocument>(s->document);
}

std::vector<std::uint8_t> palette_bytes(std::uint8_t first) {
    std::vector<std::uint8_t> bytes(kPaletteFileSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

TEST_F(Commands, OpenAsksItsDialogAndShowsTheFile) {
    const std::string path = write_sprite(*sample_document());
    open(path);
    ASSERT_EQ(prompts.requests.size(), 1u);
    const FileRequest& r = prompts.requests[0];
    EXPECT_EQ(r.dialog, FileDialog::OpenDialog1);
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.filter, "*.spr|*.spr");
    EXPECT_EQ(r.defaultExtension, "spr");
    EXPECT_EQ(r.folder, ".");
    EXPECT_EQ(r.lastPath, "");
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Dabro (" + path + ")"));
    EXPECT_EQ(form->status_text(), "Sprite loaded");
    EXPECT_EQ(session->currentFileName, path);
    open(path);
    EXPECT_EQ(prompts.requests[1].lastPath, QString::fromStdString(path))
        << "the dialog remembers its last path";
}

TEST_F(Commands, CancelledDialogsChangeNothing) {
    open_document(*sample_document());
    const auto before = std::make_unique<SpriteDocument>(doc());
    const QString caption = form->windowTitle();
    for (QAction* a : {form->Open1, form->Save1, form->ImportImage2, form->Importbyname1,
                       form->ImportPalette2, form->ExportPalette2}) {
        prompts.cancel();
        a->trigger();
    }
    EXPECT_EQ(prompts.requests.size(), 7u);
    EXPECT_TRUE(doc() == *before);
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(form->status_text(), "Sprite loaded");
    EXPECT_EQ(dir.entries(), std::vector<std::string>({"doc.spr"}));
}

TEST_F(Commands, EveryFixtureOpens) {
    for (const char* name : {"header-only.spr", "one-collection.spr", "several.spr"}) {
        open(test_data(std::string("fixtures/") + name));
        EXPECT_TRUE(prompts.errors.isEmpty()) << name;
        EXPECT_EQ(form->status_text(), "Sprite loaded") << name;
        EXPECT_EQ(form->ListBox1->count(), doc().sequenceCount) << name;
        EXPECT_EQ(form->ListBox3->count(), doc().collectionCount) << name;
    }
}

TEST_F(Commands, AFailedOpenKeepsTheDocumentTheFileNameAndTheCaption) {
    const std::string good = write_sprite(*sample_document());
    open(good);
    const auto before = std::make_unique<SpriteDocument>(doc());
    std::vector<std::uint8_t> cut = read_bytes(good);
    cut.resize(cut.size() - 1);
    const std::string truncated = dir.file("cut.spr");
    write_bytes(truncated, cut);

    open(dir.file("missing.spr"));
    open(truncated);
    EXPECT_EQ(prompts.errors, QStringList({"File not found.", "Read beyond end of file."}));
    EXPECT_TRUE(doc() == *before);
    EXPECT_EQ(session->currentFileName, good);
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Dabro (" + good + ")"));
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

TEST_F(Commands, AFileWithoutTheSignatureIsRefusedAndSaveThenDoesNothing) {
    open_document(*sample_document());
    const auto before = std::make_unique<SpriteDocument>(doc());
    std::vector<std::uint8_t> bytes = read_bytes(dir.file("doc.spr"));
    bytes[9] = '5';
    write_bytes(dir.file("other.spr"), bytes);
    open(dir.file("other.spr"));
    EXPECT_EQ(form->status_text(), "This is not a .spr file");
    EXPECT_EQ(form->windowTitle(), "Dabro ()");
    EXPECT_TRUE(doc() == *before);
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form->status_text(), "This is not a .spr file");
}

TEST_F(Commands, UnreadableImagesStayNamedOnTheStatusLine) {
    open_document(*make_document({.sequences = 1, .collections = {{1, 1, kShortSection}}}));
    EXPECT_EQ(form->status_text(),
              "Sprite loaded. Sprite with compressed images. Images unaccesible");
}

TEST_F(Commands, SaveWritesWhatWasEditedAndReopensTheSame) {
    open_document(*sample_document());
    type_into(form->Edit10, "saved");
    press_tab();
    click_row(form->ListBox2, 2);
    type_into(form->Edit9, "-77");
    press_tab();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    click_row(form->ListBox5, 0);
    type_into(form->Edit20, "9");
    press_tab();
    form->Edit1->setText("300");
    form->Edit2->setText("-1");
    form->Edit6->setText("70000");
    QTest::keyClick(form->ListBox1, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(' ').toStdString();
    EXPECT_EQ(form->status_text(), "Sprite saved");

    const auto reread = loaded(session->currentFileName);
    auto expected = std::make_unique<SpriteDocument>(doc());
    expected->dimensions = {44, 255, expected->dimensions[2]};
    expected->headerWord = 4464;
    for (int c = 0; c < expected->collectionCount; ++c)
        expected->collections[c].imageSectionOffset = reread->collections[c].imageSectionOffset;
    EXPECT_TRUE(*reread == *expected);
    EXPECT_EQ(reread->sequences[0].name.str(), "saved");
    EXPECT_EQ(reread->sequences[0].frameValue[2], -77);
    EXPECT_EQ(reread->sequenceCount, 4);
    EXPECT_EQ(reread->collections[0].images[2].width, 9);
    EXPECT_EQ(doc().dimensions[0], sample_document()->dimensions[0])
        << "the document's header stays";
}

TEST_F(Commands, SaveFirstCommitsTheFocusedField) {
    open_document(*sample_document());
    type_into(form->Edit9, "123");
    QTest::keyClick(form->Edit9, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form->status_text(), "Sprite saved");
    EXPECT_EQ(loaded(session->currentFileName)->sequences[0].frameValue[0], 123);
}

TEST_F(Commands, SaveStopsWhenTheFocusedFieldCannotBeCommitted) {
    open_document(*sample_document());
    const auto bytes = read_bytes(session->currentFileName);
    type_into(form->Edit9, "12x");
    QTest::keyClick(form->Edit9, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(prompts.errors, QStringList({"'12x' is not a valid integer value."}));
    EXPECT_EQ(form->status_text(), "Sprite loaded");
    EXPECT_EQ(read_bytes(session->currentFileName), bytes);
}

TEST_F(Commands, SaveAsWritesTheChosenFileAndKeepsTheCurrentOne) {
    open_document(*sample_document());
    const std::string copy = dir.file("copy.spr");
    prompts.answer(copy);
    form->Save1->trigger();
    const FileRequest& r = prompts.requests.back();
    EXPECT_EQ(r.dialog, FileDialog::SaveDialog1);
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.filter, "*.spr|*.spr");
    EXPECT_EQ(r.defaultExtension, "spr");
    EXPECT_EQ(form->status_text(), "Sprite saved");
    EXPECT_EQ(read_bytes(copy), read_bytes(dir.file("doc.spr")));
    EXPECT_EQ(session->currentFileName, dir.file("doc.spr"));
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Dabro (" + dir.file("doc.spr") + ")"));
}

TEST_F(Commands, SaveAsBeforeAnyOpenReportsTheEmptyHeaderField) {
    prompts.answer(dir.file("new.spr"));
    form->Save1->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"'' is not a valid integer value."}));
    EXPECT_TRUE(dir.entries().empty());
    QTest::keyClick(form->ListBox1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(prompts.errors.size(), 1u) << "Save without a file does nothing";
}

TEST_F(Commands, AFailedSaveIsReportedAndLeavesTheStatus) {
    open_document(*sample_document());
    prompts.answer(dir.file("no/such/folder/x.spr"));
    form->Save1->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"File not found."}));
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

class Shortcuts : public WindowTest,
                  public ::testing::WithParamInterface<std::pair<Qt::Key, FileDialog>> {};

TEST_P(Shortcuts, AreTakenBeforeTheFocusedFieldSeesTheKey) {
    open_document(*sample_document());
    type_into(form->Edit10, "typed");
    form->Edit10->selectAll();
    const std::size_t asked = prompts.requests.size();
    QTest::keyClick(form->Edit10, GetParam().first, Qt::ControlModifier);
    ASSERT_EQ(prompts.requests.size(), asked + 1);
    EXPECT_EQ(prompts.requests.back().dialog, GetParam().second);
    EXPECT_EQ(form->Edit10->text(), "typed") << "no text was cut";
    EXPECT_TRUE(form->Edit10->hasSelectedText());
    EXPECT_EQ(QApplication::focusWidget(), form->Edit10);
    EXPECT_EQ(doc().sequences[0].name.str(), "walk") << "a menu command does not commit the field";
}

INSTANTIATE_TEST_SUITE_P(Window, Shortcuts,
                         ::testing::Values(std::pair{Qt::Key_X, FileDialog::SaveDialog3},
                                           std::pair{Qt::Key_O, FileDialog::OpenDialog1},
                                           std::pair{Qt::Key_I, FileDialog::OpenDialog2},
                                           std::pair{Qt::Key_N, FileDialog::OpenDialog2},
                                           std::pair{Qt::Key_M, FileDialog::OpenDialog3}));

TEST_F(Commands, CtrlAAlignsInsteadOfSelectingTheText) {
    open_document(*sample_document());
    form->Edit12->setFocus();
    form->Edit12->deselect();
    QTest::keyClick(form->Edit12, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(form->Edit12->hasSelectedText());
    EXPECT_EQ(doc().collections[0].boxes[0], (BoundingBox{62, 24, 68, 29}));
    QTest::keyClick(form->Edit12, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(form->Edit15->text(), "29");
    EXPECT_EQ(form->Edit16->text(), "11");
    EXPECT_EQ(form->Edit17->text(), "35");
    EXPECT_EQ(form->Edit18->text(), "16");
}

TEST_F(Commands, AlignmentCentresTheBoxAndLeavesTheStatus) {
    open_document(*sample_document());
    type_into(form->Edit20, "135");
    type_into(form->Edit21, "60");
    press_tab();
    form->Alignweapon1->trigger();
    EXPECT_EQ(doc().collections[0].boxes[0], (BoundingBox{-2, -3, 133, 57}));
    EXPECT_EQ(form->Edit15->text(), "-2");
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

TEST_F(Commands, ImportReplacesThePixelsOfTheSelectedImage) {
    open_document(*sample_document());
    click_row(form->ListBox4, 2);
    const std::string raw = dir.file("pixels.raw");
    write_bytes(raw, {0x07, 0xFF, 0x03, 0x00});
    prompts.answer(raw);
    QTest::keyClick(form->ListBox4, Qt::Key_I, Qt::ControlModifier);
    const FileRequest& r = prompts.requests.back();
    EXPECT_EQ(r.dialog, FileDialog::OpenDialog2);
    EXPECT_EQ(r.filter, "*.raw|*.raw");
    EXPECT_EQ(r.defaultExtension, "raw");
    const CollectionImage& image = doc().collections[0].images[2];
    EXPECT_EQ(image.data, (std::vector<std::uint8_t>{0x06, 0x07, 0xFF, 0x04}));
    EXPECT_EQ(image.dataLength, 4);
    EXPECT_EQ(image.width, 6);
    EXPECT_EQ(form->status_text(), "Image imported");
    const std::uint32_t colour = doc().collections[0].palettes[0][7];
    EXPECT_EQ(form->Image1->picture().pixel(0, 0), 0xFF000000u | colour);
    EXPECT_EQ(form->Image1->picture().pixel(1, 0), kPreviewGreyRgb32);
}

TEST_F(Commands, AFailedImportLeavesTheImage) {
    open_document(*sample_document());
    const CollectionImage before = doc().collections[0].images[0];
    prompts.answer(dir.file("gone.raw"));
    form->ImportImage1->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"File not found."}));
    EXPECT_TRUE(doc().collections[0].images[0] == before);
}

TEST_F(Commands, ImportByNameTakesSizeAndPaletteFromTheName) {
    open_document(*sample_document());
    std::filesystem::create_directory(dir.file("items"));
    write_bytes(dir.file("items/sword_4x2.raw"), std::vector<std::uint8_t>(16, 1));
    write_bytes(dir.file("items/sword.act"), palette_bytes(3));
    prompts.answer(dir.file("items/sword_4x2.raw"));
    QTest::keyClick(form->Edit12, Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(' ').toStdString();
    const CollectionImage& image = doc().collections[0].images[0];
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.dataLength, 24);
    EXPECT_EQ(doc().collections[0].palettes[0][0], 0x030405u);
    EXPECT_EQ(form->Edit20->text(), "4");
    EXPECT_EQ(form->Edit21->text(), "2");
    EXPECT_EQ(form->status_text(), "Image imported");
}

TEST_F(Commands, ImportByNameWithABadSizeChangesNothing) {
    open_document(*sample_document());
    const auto before = std::make_unique<SpriteDocument>(doc());
    write_bytes(dir.file("big_axe_64x32.raw"), {1, 2});
    prompts.answer(dir.file("big_axe_64x32.raw"));
    form->Importbyname1->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"'e_64x32' is not a valid integer value."}));
    EXPECT_TRUE(doc() == *before);
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

TEST_F(Commands, HalveShowsTheNewSize) {
    open_document(*sample_document());
    CollectionImage expected = doc().collections[0].images[0];
    ASSERT_TRUE(halve_in_place(expected).ok());
    QTest::keyClick(form->Edit10, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(doc().collections[0].images[0] == expected);
    EXPECT_EQ(form->Edit20->text(), "3");
    EXPECT_EQ(form->Edit21->text(), "3");
    EXPECT_EQ(form->status_text(), "Image size halved");
    form->HalveImage1->trigger();
    EXPECT_EQ(form->Edit20->text(), "2");
}

TEST_F(Commands, PaletteImportRecoloursThePreview) {
    open_document(*sample_document());
    doc().collections[0].images[0].set_data({0x06, 0x00, 0xFF});
    write_bytes(dir.file("p.act"), palette_bytes(0x12));
    prompts.answer(dir.file("p.act"));
    const Palette other = doc().collections[0].palettes[1];
    QTest::keyClick(form->Edit10, Qt::Key_M, Qt::ControlModifier);
    const FileRequest& r = prompts.requests.back();
    EXPECT_EQ(r.filter, "*.act|*.act|*.raw|*.raw");
    EXPECT_EQ(r.defaultExtension, "");
    EXPECT_EQ(doc().collections[0].palettes[0][0], 0x121314u);
    EXPECT_EQ(doc().collections[0].palettes[1], other);
    EXPECT_EQ(form->Image1->picture().pixel(0, 0), 0xFF121314u);
    EXPECT_EQ(form->status_text(), "Palette imported");
}

TEST_F(Commands, AShortPaletteFileChangesNoEntry) {
    open_document(*sample_document());
    const Palette before = doc().collections[0].palettes[0];
    std::vector<std::uint8_t> bytes = palette_bytes(0);
    bytes.pop_back();
    write_bytes(dir.file("short.act"), bytes);
    prompts.answer(dir.file("short.act"));
    form->ImportPalette1->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"Read beyond end of file."}));
    EXPECT_EQ(doc().collections[0].palettes[0], before);
    EXPECT_EQ(form->status_text(), "Sprite loaded");
}

TEST_F(Commands, PaletteExportWritesPaletteZeroOfTheSelectedCollection) {
    open_document(*sample_document());
    click_row(form->ListBox3, 2);
    prompts.answer(dir.file("out.act"));
    form->ExportPalette1->trigger();
    const FileRequest& r = prompts.requests.back();
    EXPECT_EQ(r.dialog, FileDialog::SaveDialog3);
    EXPECT_EQ(r.defaultExtension, "act");
    const auto expected = palette_file_bytes(doc().collections[2].palettes[0]);
    EXPECT_EQ(read_bytes(dir.file("out.act")),
              std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(form->status_text(), "Palette exported");
}

TEST_F(Commands, ImageCommandsWithoutASelectionDoNothing) {
    for (QAction* a :
         {form->ImportImage2, form->Importbyname1, form->HalveImage2, form->Alignweapon1,
          form->Align1, form->ImportPalette2, form->ExportPalette2})
        a->trigger();
    EXPECT_TRUE(prompts.requests.empty());
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(form->status_text(), "");
}

TEST_F(Commands, NewEmptiesHeaderAndCountsButNotTheLists) {
    open_document(*sample_document());
    EXPECT_FALSE(form->New1->isEnabled());
    form->New1Click();
    EXPECT_EQ(form->windowTitle(), "Dabro ()");
    EXPECT_EQ(form->Edit1->text(), "0");
    EXPECT_EQ(form->Edit4->text(), "0");
    EXPECT_EQ(doc().sequenceCount, 0);
    EXPECT_EQ(form->ListBox1->count(), 3) << "the lists wait for the next refresh";
    EXPECT_TRUE(session->currentFileName.empty());
}

TEST_F(Commands, AboutShowsTheVersionAndChangesNothing) {
    open_document(*sample_document());
    form->AboutDabro1->trigger();
    ASSERT_EQ(prompts.abouts.size(), 1);
    EXPECT_TRUE(prompts.abouts[0].startsWith("About Dabro: Dabro " + application_version() + "\n"))
        << prompts.abouts[0].toStdString();
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Dabro (" + dir.file("doc.spr") + ")"));
    EXPECT_EQ(form->status_text(), "Sprite loaded");
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(Commands, QuitClosesTheWindowAndTheInertItemsDoNothing) {
    open_document(*sample_document());
    form->Help1->trigger();
    form->SaveImage1->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->status_text(), "Sprite loaded");
    form->Quit1->trigger();
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace dabro::test
