#include <QMenu>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "ui/external_edit.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

constexpr int kWaitMs = 5000;

// The outside editor: a script that saves `source` over the PNG it is given, in place or
// the way many painting programs do, by writing a new file and renaming it over the old.
constexpr char kEditorScript[] = R"(#!/bin/bash
source=$1 mode=$2 png=${@: -1}
if [ "$mode" = rename ]; then cp "$source" "$png.part" && mv "$png.part" "$png"
elif [ "$mode" = inplace ]; then cat "$source" > "$png"; fi
)";

class LiveLink : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::ofstream(dir.file("editor.sh")) << kEditorScript;
    }
    void TearDown() override {
        set_external_editor_command({});
        WindowTest::TearDown();
    }
    // The editor saves `png` by `mode` ("inplace", "rename", or "none" for no save).
    void use_editor(const std::string& png, const char* mode) {
        set_external_editor_command(QStringLiteral("bash '%1' '%2' %3")
                                        .arg(QString::fromStdString(dir.file("editor.sh")),
                                             QString::fromStdString(png), QLatin1String(mode)));
    }
    // Image 0 of collection 0 with its first pixel cleared, as a PNG.
    std::string edited_png() {
        std::vector<std::uint8_t> png;
        EXPECT_TRUE(
            export_image_png(doc().collections[0].images[0], doc().collections[0].palettes[0], png)
                .ok());
        RgbaImage picture;
        EXPECT_TRUE(decode_png(png, "image.png", picture).ok());
        picture.pixels[0] = 0;
        EXPECT_TRUE(encode_png(picture, png).ok());
        write_bytes(dir.file("edited.png"), png);
        return dir.file("edited.png");
    }
    bool undo_names(const char* name) {
        const Command* step = form->history().next_undo();
        return step != nullptr && step->name() == name;
    }
    QString work_file() const { return form->status_text().section(QStringLiteral(": "), 1); }
};

// The new items close their menus, and Ctrl+E is no other item's key.
TEST_F(LiveLink, ItemsComeAfterTheExistingOnesAndCtrlEIsTheirsAlone) {
    const auto* menu = qobject_cast<QMenu*>(menu_item(*form, "EditExternally1")->parent());
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> image = menu->actions();
    const qsizetype after = image.indexOf(menu_item(*form, "ImportSheet1")) + 1;
    EXPECT_EQ(image.mid(after, 2), QList<QAction*>({menu_item(*form, "EditExternally1"),
                                                    menu_item(*form, "EditSheetExternally1")}));
    EXPECT_EQ(form->PopupMenu1->actions().last(), menu_item(*form, "EditExternally2"));
    EXPECT_EQ(form->load_images->parent(), menu_item(*form, "ExternalEditor1")->parent());
    const QKeySequence ctrlE(Qt::CTRL | Qt::Key_E);
    for (QAction* a : form->findChildren<QAction*>())
        EXPECT_EQ(a->shortcuts().contains(ctrlE), a == menu_item(*form, "EditExternally1"))
            << a->text().toStdString();
}

// The items follow the selection, and Ctrl+E reaches its item from a list.
TEST_F(LiveLink, ItemsAreEnabledWithSomethingToEditAndCtrlEStartsTheLink) {
    EXPECT_FALSE(menu_item(*form, "EditExternally1")->isEnabled());
    EXPECT_FALSE(menu_item(*form, "EditSheetExternally1")->isEnabled());
    open_document(*sample_document());
    EXPECT_TRUE(menu_item(*form, "EditExternally1")->isEnabled());
    EXPECT_TRUE(menu_item(*form, "EditSheetExternally1")->isEnabled());
    use_editor(dir.file("unused.png"), "none");
    QTest::keyClick(form->ListBox4, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(form->status_text().startsWith("Editing externally: "))
        << form->status_text().toStdString();
}

class EditorSaves : public LiveLink, public ::testing::WithParamInterface<const char*> {};

// The link follows the image it was made for, though another is selected when the save comes.
TEST_P(EditorSaves, EachSaveReplacesTheLinkedImageAsOneUndoableStep) {
    open_document(*sample_document());
    const CollectionImage original = doc().collections[0].images[0];
    use_editor(edited_png(), GetParam());
    menu_item(*form, "EditExternally1")->trigger();
    click_row(form->ListBox4, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return undo_names("External edit"); }, kWaitMs))
        << form->status_text().toStdString();
    PixelImage pixels;
    ASSERT_TRUE(decode_pixels(doc().collections[0].images[0], pixels).ok());
    EXPECT_EQ(pixels.pixels[0], transparent_pixel());
    EXPECT_EQ(form->status_text(), "External edit applied");
    form->Undo1->trigger();
    EXPECT_TRUE(doc().collections[0].images[0] == original);
    EXPECT_EQ(form->history().next_undo(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(InPlaceAndByRename, EditorSaves, ::testing::Values("inplace", "rename"));

TEST_F(LiveLink, APngThatDoesNotDecodeIsLeftAloneUntilTheNextSave) {
    open_document(*sample_document());
    const CollectionImage original = doc().collections[0].images[0];
    const std::string good = edited_png();
    write_bytes(dir.file("broken.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
    use_editor(dir.file("broken.png"), "rename");
    menu_item(*form, "EditExternally2")->trigger();
    const std::string png = local_path(work_file());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->status_text().startsWith("External edit not applied"); }, kWaitMs));
    EXPECT_TRUE(doc().collections[0].images[0] == original);
    EXPECT_EQ(form->history().next_undo(), nullptr);
    EXPECT_TRUE(prompts.errors.isEmpty());

    std::filesystem::copy_file(good, png + ".part");
    std::filesystem::rename(png + ".part", png);
    EXPECT_TRUE(QTest::qWaitFor([&] { return undo_names("External edit"); }, kWaitMs));
}

TEST_F(LiveLink, AnEditedSheetReplacesTheWholeCollectionInOneStep) {
    open_document(*sample_document());
    click_row(form->ListBox3, 1);
    use_editor({}, "none");
    menu_item(*form, "EditSheetExternally1")->trigger();
    const std::string png = local_path(work_file());
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(read_bytes(png), "sheet.png", sheet).ok());
    std::fill(sheet.pixels.begin(), sheet.pixels.end(), 0u);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encode_png(sheet, bytes).ok());
    write_bytes(png, bytes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return undo_names("External edit"); }, kWaitMs));
    for (const CollectionImage& image : doc().collections[1].images) {
        PixelImage pixels;
        ASSERT_TRUE(decode_pixels(image, pixels).ok());
        for (const Pixel& p : pixels.pixels) EXPECT_EQ(p, transparent_pixel());
    }
    form->Undo1->trigger();
    EXPECT_EQ(form->history().next_undo(), nullptr);
}

TEST_F(LiveLink, AnEditorThatDoesNotStartIsReported) {
    open_document(*sample_document());
    set_external_editor_command(QStringLiteral("/nonexistent/painter --new"));
    menu_item(*form, "EditExternally1")->trigger();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("/nonexistent/painter"));
}

TEST(EditorCommand, IsSplitAsAShellSplitsIt) {
    const std::pair<const char*, std::optional<QStringList>> cases[] = {
        {"gimp", QStringList{"gimp"}},
        {"  krita  --nosplash ", QStringList{"krita", "--nosplash"}},
        {"'/opt/my painter/run' -a", QStringList{"/opt/my painter/run", "-a"}},
        {R"("a \"b\" \x" c\ d '')", QStringList{R"(a "b" \x)", "c d", ""}},
        {"it's", std::nullopt},
        {"\"open", std::nullopt},
    };
    for (const auto& [command, words] : cases)
        EXPECT_EQ(split_shell_words(QString::fromUtf8(command)), words) << command;
}

// The sprite file changed behind the window: the first sequence renamed.
std::unique_ptr<SpriteDocument> changed_document() {
    auto d = sample_document();
    d->sequences[0].set_name("jump");
    return d;
}

TEST_F(LiveLink, AnUnchangedDocumentIsReloadedKeepingTheSelection) {
    open_document(*sample_document());
    click_row(form->ListBox1, 2);
    click_row(form->ListBox4, 5);
    write_sprite(*changed_document());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->status_text() == "Reloaded: changed on disk"; },
                                kWaitMs));
    EXPECT_EQ(doc().sequences[0].name.view(), "jump");
    EXPECT_EQ(form->ListBox1->item_index(), 2);
    EXPECT_EQ(form->ListBox3->item_index(), 2);
    EXPECT_EQ(form->ListBox4->item_index(), 5);
    EXPECT_TRUE(prompts.reloadQuestions.isEmpty());
    EXPECT_FALSE(form->is_modified());
}

class UnsavedChanges : public LiveLink, public ::testing::WithParamInterface<ReloadChoice> {};

TEST_P(UnsavedChanges, AskBeforeReloadingAndKeepingLeavesTheDocumentModified) {
    open_document(*sample_document());
    click_row(form->ListBox1, 1);
    type_into(form->Edit10, QStringLiteral("mine"));
    press_tab();
    prompts.answer_reload(GetParam());
    write_sprite(*changed_document());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.reloadQuestions.isEmpty(); }, kWaitMs));
    const bool reloaded = GetParam() == ReloadChoice::Reload;
    EXPECT_EQ(doc().sequences[0].name.view(), reloaded ? "jump" : "walk");
    EXPECT_EQ(doc().sequences[1].name.view(), reloaded ? "run" : "mine");
    EXPECT_EQ(form->is_modified(), !reloaded);
    EXPECT_EQ(form->windowTitle().startsWith('*'), !reloaded);
    // Saving what was kept writes it over the file, and is no change to reload.
    form->Save2->trigger();
    EXPECT_FALSE(form->is_modified());
    QTest::qWait(3 * ExternalEdit::kSettleMs);
    EXPECT_EQ(prompts.reloadQuestions.size(), 1);
    EXPECT_EQ(form->status_text(), "Sprite saved");
}

INSTANTIATE_TEST_SUITE_P(ReloadOrKeep, UnsavedChanges,
                         ::testing::Values(ReloadChoice::Reload, ReloadChoice::Keep));

// A sprite caught half written is not reloaded, and says so on the status line only; the
// rest of the write reloads it.
TEST_F(LiveLink, AHalfWrittenSpriteIsReportedQuietlyAndTheNextChangeReloads) {
    open_document(*sample_document());
    const std::string path = write_sprite(*changed_document(), "whole.spr");
    std::vector<std::uint8_t> bytes = read_bytes(path);
    bytes.resize(bytes.size() / 2);
    write_bytes(session->currentFileName, bytes);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->status_text().startsWith("Reload of"); }, kWaitMs));
    EXPECT_TRUE(form->status_text().contains(QString::fromStdString(session->currentFileName)));
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(doc().sequences[0].name.view(), "walk");
    std::filesystem::copy_file(path, session->currentFileName,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return doc().sequences[0].name.view() == "jump"; }, kWaitMs));
}

// After a file that is no sprite, the sprite opened before is no longer watched.
TEST_F(LiveLink, OpeningAFileThatIsNoSpriteEndsTheWatchOfThePreviousOne) {
    open_document(*sample_document());
    write_bytes(dir.file("notes.spr"), std::vector<std::uint8_t>(64, 'n'));
    open(dir.file("notes.spr"));
    ASSERT_EQ(form->status_text(), "This is not a .spr file");
    write_sprite(*changed_document());
    QTest::qWait(3 * ExternalEdit::kSettleMs);
    EXPECT_EQ(form->status_text(), "This is not a .spr file");
    EXPECT_TRUE(prompts.errors.isEmpty());
}

// A save after a reload brings in the artist's pixels only: the reloaded ones stay.
TEST_F(LiveLink, ASaveAfterAReloadKeepsWhatTheReloadBrought) {
    open_document(*sample_document());
    use_editor({}, "none");
    menu_item(*form, "EditExternally1")->trigger();
    const std::string png = local_path(work_file());
    auto reloaded = sample_document();
    PixelImage pixels;
    ASSERT_TRUE(decode_pixels(reloaded->collections[0].images[0], pixels).ok());
    const Pixel elsewhere = indexed_pixel(77, 200);
    ASSERT_NE(pixels.pixels[5], elsewhere);
    pixels.pixels[5] = elsewhere;
    reloaded->collections[0].images[0].set_data(encode_compact(pixels));
    write_sprite(*reloaded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->status_text() == "Reloaded: changed on disk"; },
                                kWaitMs));

    RgbaImage painted;
    ASSERT_TRUE(decode_png(read_bytes(png), "painted", painted).ok());
    painted.pixels[0] = 0;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encode_png(painted, bytes).ok());
    write_bytes(png + ".part", bytes);
    std::filesystem::rename(png + ".part", png);
    ASSERT_TRUE(QTest::qWaitFor([&] { return undo_names("External edit"); }, kWaitMs))
        << form->status_text().toStdString();
    ASSERT_TRUE(decode_pixels(doc().collections[0].images[0], pixels).ok());
    EXPECT_EQ(pixels.pixels[0], transparent_pixel());
    EXPECT_EQ(pixels.pixels[5], elsewhere);
}

}  // namespace
}  // namespace dabro::test
