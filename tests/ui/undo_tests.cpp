#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/sprite_loader.h"
#include "ui/image_view.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using Undo = WindowTest;

std::vector<char> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

TEST_F(Undo, CtrlZAndCtrlYInAListTakeBackAndBringBackASteps) {
    open_document(*sample_document());
    click_row(form->ListBox2, 1);
    const std::int32_t value = doc().sequences[0].frameValue[1];
    const QString row = form->ListBox2->item_text(1);
    type_into(form->Edit9, "55");
    click_row(form->ListBox2, 1);
    ASSERT_EQ(doc().sequences[0].frameValue[1], 55);
    EXPECT_EQ(form->Undo1->text(), "Undo Edit frame value");
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("*Dabro (" + dir.file("doc.spr") + ")"));

    press(form->ListBox2, Qt::Key_Z);
    EXPECT_EQ(doc().sequences[0].frameValue[1], value);
    EXPECT_EQ(form->ListBox2->item_text(1), row) << "the restored state is shown";
    EXPECT_EQ(form->Edit9->text(), QString::number(value));
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Dabro (" + dir.file("doc.spr") + ")"))
        << "back at the state on disk";
    press(form->ListBox2, Qt::Key_Y);
    EXPECT_EQ(doc().sequences[0].frameValue[1], 55);
    press(form->ListBox2, Qt::Key_Z);
    press(form->ListBox2, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->Edit9->text(), "55");
}

TEST_F(Undo, CtrlZInAFieldFirstRestoresItsTextThenUndoesTheDocument) {
    open_document(*sample_document());
    press(form->ListBox1, Qt::Key_H);  // halve, a document step
    const std::int32_t halvedWidth = doc().collections[0].images[0].width;
    type_into(form->Edit10, "typed");
    press(form->Edit10, Qt::Key_Z);
    EXPECT_EQ(form->Edit10->text(), "walk");
    EXPECT_EQ(doc().collections[0].images[0].width, halvedWidth) << "the document waits";
    EXPECT_EQ(QApplication::focusWidget(), form->Edit10);
    press(form->Edit10, Qt::Key_Z);
    EXPECT_EQ(doc().collections[0].images[0].width, 6);
    EXPECT_EQ(form->Edit20->text(), "6");
    press_tab();
    EXPECT_EQ(doc().sequences[0].name.str(), "walk") << "the restored text commits nothing";
}

TEST_F(Undo, EveryImageCommandIsOneStep) {
    open_document(*sample_document());
    const CollectionImage before = doc().collections[0].images[0];
    const BoundingBox box = doc().collections[0].boxes[0];
    for (int key : {Qt::Key_H, Qt::Key_A, Qt::Key_B}) press(form->ListBox4, key);
    type_into(form->Edit20, "9");
    type_into(form->Edit16, "3");  // the click on Edit16 commits all six values
    press_tab();
    for (int i = 0; i < 5; ++i) press(form->ListBox4, Qt::Key_Z);
    EXPECT_TRUE(doc().collections[0].images[0] == before);
    EXPECT_TRUE(doc().collections[0].boxes[0] == box);
    EXPECT_FALSE(form->Undo1->isEnabled());
    EXPECT_FALSE(form->is_modified());
}

TEST_F(Undo, UndoAndRedoSelectWhatTheyChangedAndSaySo) {
    open_document(*sample_document());
    type_into(form->Edit20, "9");  // collection frame 0
    press_tab();
    click_row(form->ListBox4, 1);
    press(form->ListBox4, Qt::Key_Z);
    EXPECT_EQ(form->ListBox4->item_index(), 0);
    EXPECT_EQ(form->Edit20->text(), "6");
    EXPECT_EQ(form->status_text(), "Undone: Edit size and box");
    click_row(form->ListBox4, 2);
    press(form->ListBox4, Qt::Key_Y);
    EXPECT_EQ(form->ListBox4->item_index(), 0);
    EXPECT_EQ(form->Edit20->text(), "9");
    EXPECT_EQ(form->status_text(), "Redone: Edit size and box");

    QTest::mouseClick(form->Button2, Qt::LeftButton);  // the last sequence, "idle", goes
    ASSERT_EQ(form->ListBox1->item_index(), 0);
    press(form->ListBox1, Qt::Key_Z);
    EXPECT_EQ(form->ListBox1->item_index(), 2);
    EXPECT_EQ(form->Edit10->text(), "idle");
    EXPECT_EQ(form->ListBox3->item_index(), 2) << "the sequence's collection comes with it";

    click_row(form->ListBox1, 0);
    click_row(form->ListBox2, 3);
    type_into(form->Edit9, "-4");
    press_tab();
    click_row(form->ListBox2, 0);
    click_row(form->ListBox3, 1);  // looking at another collection
    press(form->ListBox3, Qt::Key_H);
    EXPECT_EQ(form->status_text(), "Image size halved");
    click_row(form->ListBox3, 2);
    press(form->ListBox3, Qt::Key_Z);
    EXPECT_EQ(form->ListBox3->item_index(), 1);
    EXPECT_EQ(form->Edit12->text(), "four");
    EXPECT_EQ(form->Edit20->text(), "6");
    EXPECT_EQ(form->status_text(), "Undone: Halve image");
    press(form->ListBox3, Qt::Key_Z);
    EXPECT_EQ(form->ListBox2->item_index(), 3);
    EXPECT_EQ(form->Edit9->text(), QString::number(doc().sequences[0].frameValue[3]));
}

TEST_F(Undo, BeforeTheFirstOpenTheCaptionNamesTheProgram) {
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(form->windowTitle(), "*Dabro v1.0");
    press(form->Button1, Qt::Key_Z);
    EXPECT_EQ(form->windowTitle(), "Dabro v1.0");
    press(form->Button1, Qt::Key_Y);
    EXPECT_EQ(form->windowTitle(), "*Dabro v1.0");
    form->Quit1->trigger();
    EXPECT_EQ(prompts.saveQuestions, QStringList({"the sprite"}));
}

// The guard before unsaved changes are lost, for each way of losing them and each answer.
enum class Loss { Quit, Close, Open };

struct GuardCase {
    Loss loss;
    SaveChoice answer;
    bool saveFails;
    bool proceeds;
};

class Guard : public WindowTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(Guard, AsksAndDoesWhatTheAnswerSays) {
    const GuardCase c = GetParam();
    std::filesystem::create_directory(dir.file("work"));
    const std::string path = write_sprite(*sample_document(), "work/doc.spr");
    const std::string other = write_sprite(*sample_document(), "other.spr");
    open(path);
    press(form->ListBox1, Qt::Key_H);
    const auto edited = std::make_unique<SpriteDocument>(doc());
    const std::vector<char> onDisk = file_bytes(path);
    if (c.saveFails) std::filesystem::remove_all(dir.file("work"));
    prompts.answer_save(c.answer);

    switch (c.loss) {
        case Loss::Quit:
            form->Quit1->trigger();
            break;
        case Loss::Close:
            form->close();
            break;
        case Loss::Open:
            open(other);
            break;
    }
    EXPECT_EQ(prompts.saveQuestions, QStringList({QString::fromStdString(path)}));
    const bool gone = c.loss == Loss::Open ? session->currentFileName == other : !form->isVisible();
    EXPECT_EQ(gone, c.proceeds);
    if (!c.proceeds) {
        EXPECT_TRUE(doc() == *edited);
        EXPECT_TRUE(form->is_modified());
    }
    if (c.saveFails) {
        EXPECT_EQ(prompts.errors.size(), 1u);
    } else {
        EXPECT_EQ(file_bytes(path) != onDisk, c.answer == SaveChoice::Save)
            << "only Save writes the file";
    }
}

INSTANTIATE_TEST_SUITE_P(Window, Guard,
                         ::testing::Values(GuardCase{Loss::Quit, SaveChoice::Save, false, true},
                                           GuardCase{Loss::Quit, SaveChoice::Discard, false, true},
                                           GuardCase{Loss::Quit, SaveChoice::Cancel, false, false},
                                           GuardCase{Loss::Quit, SaveChoice::Save, true, false},
                                           GuardCase{Loss::Close, SaveChoice::Save, false, true},
                                           GuardCase{Loss::Close, SaveChoice::Cancel, false, false},
                                           GuardCase{Loss::Open, SaveChoice::Save, false, true},
                                           GuardCase{Loss::Open, SaveChoice::Discard, false, true},
                                           GuardCase{Loss::Open, SaveChoice::Cancel, false, false},
                                           GuardCase{Loss::Open, SaveChoice::Save, true, false}));

// An edit typed into a field and not yet left is a change the guard asks about; Save
// stores it in the file first.
struct PendingCase {
    const char* field;
    const char* typed;
    SaveChoice answer;
    bool proceeds;
    bool (*inFile)(const SpriteDocument&);  // the saved file holds the edit
};

class PendingGuard : public WindowTest, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingGuard, AsksAboutAnEditStillInAField) {
    const PendingCase c = GetParam();
    const std::string path = write_sprite(*sample_document());
    open(path);
    const std::vector<char> onDisk = file_bytes(path);
    auto* field = form->findChild<QLineEdit*>(QLatin1String(c.field));
    type_into(field, QLatin1String(c.typed));
    prompts.answer_save(c.answer);
    form->Quit1->trigger();
    EXPECT_EQ(prompts.saveQuestions.size(), 1u);
    EXPECT_EQ(!form->isVisible(), c.proceeds);
    if (c.inFile != nullptr) {
        auto saved = make_session();
        ASSERT_TRUE(load_sprite(path, *saved).ok());
        EXPECT_TRUE(c.inFile(saved->document));
    } else {
        EXPECT_EQ(file_bytes(path), onDisk);
    }
    if (!c.proceeds) {
        EXPECT_EQ(field->text(), QLatin1String(c.typed)) << "the edit stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, PendingGuard,
    ::testing::Values(
        PendingCase{"Edit10", "pending", SaveChoice::Save, true,
                    [](const SpriteDocument& d) { return d.sequences[0].name.str() == "pending"; }},
        PendingCase{"Edit9", "-9", SaveChoice::Save, true,
                    [](const SpriteDocument& d) { return d.sequences[0].frameValue[0] == -9; }},
        PendingCase{"Edit1", "7", SaveChoice::Save, true,
                    [](const SpriteDocument& d) { return d.dimensions[0] == 7; }},
        PendingCase{"Edit10", "pending", SaveChoice::Discard, true, nullptr},
        PendingCase{"Edit10", "pending", SaveChoice::Cancel, false, nullptr},
        PendingCase{"Edit11", "x", SaveChoice::Save, false, nullptr}));

TEST_F(Undo, NothingToLoseAsksNothing) {
    open_document(*sample_document());
    press(form->ListBox1, Qt::Key_H);
    press(form->ListBox1, Qt::Key_Z);
    form->close();
    EXPECT_TRUE(prompts.saveQuestions.isEmpty());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Undo, ARecentFileThatIsGoneIsReportedAndLeavesTheList) {
    const std::string kept = write_sprite(*sample_document(), "kept.spr");
    const std::string gone = write_sprite(*sample_document(), "gone.spr");
    form->ClearRecent1->trigger();
    open(kept);
    open(gone);
    std::filesystem::remove(gone);
    const auto recent = [this] {
        QStringList files;
        for (QAction* a : form->OpenRecent1->actions())
            if (!a->isSeparator() && a != form->ClearRecent1) files << a->text();
        return files;
    };
    ASSERT_EQ(recent().size(), 2);
    form->OpenRecent1->actions().first()->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"File not found."}));
    EXPECT_EQ(recent(), QStringList({QString::fromStdString(kept)}));
    form->OpenRecent1->actions().first()->trigger();
    EXPECT_EQ(session->currentFileName, kept);
    form->ClearRecent1->trigger();
    EXPECT_TRUE(recent().isEmpty());
}

TEST_F(Undo, ADroppedSpriteOpensAndADroppedRawReplacesTheImage) {
    const std::string path = write_sprite(*sample_document(), "dropped.spr");
    const auto drop = [this](const std::string& file, QPoint at) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window's handler: outside a drag the application drops the event.
        static_cast<QObject*>(form.get())->event(&event);
    };
    drop(path, QPoint(10, 100));
    EXPECT_EQ(session->currentFileName, path);

    const std::string raw = dir.file("pixels.raw");
    std::ofstream(raw, std::ios::binary) << std::string(60, '\x01');
    drop(raw, form->Image1->mapTo(form.get(), QPoint(1, 1)));
    EXPECT_EQ(form->status_text(), "Image imported");
    EXPECT_EQ(form->Undo1->text(), "Undo Import image");

    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    const std::string png = dir.file("art.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(png)));
    drop(png, form->Image1->mapTo(form.get(), QPoint(1, 1)));
    EXPECT_EQ(form->Undo1->text(), "Undo Import PNG");
    EXPECT_EQ(doc().collections[0].images[0].width, 4);
}

// Lists

TEST_F(Undo, NoClickOrKeyLeavesAListWithRowsWithoutSelection) {
    open_document(*sample_document());
    for (ListBox* list :
         {form->ListBox1, form->ListBox2, form->ListBox3, form->ListBox4, form->ListBox5}) {
        click_row(list, 0);
        const QModelIndex row = list->model()->index(0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(row).center());
        EXPECT_EQ(list->item_index(), 0) << list->objectName().toStdString();
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        EXPECT_EQ(list->item_index(), 0) << list->objectName().toStdString();
    }
    EXPECT_EQ(form->Edit10->text(), "walk");
}

TEST_F(Undo, ARightClickOnTheDirectionsKeepsTheFieldsEditUncommitted) {
    open_document(*sample_document());
    type_into(form->Edit10, "pending");
    const QModelIndex row = form->ListBox5->model()->index(0, 0);
    QTimer::singleShot(0, form->PopupMenu1, &QMenu::close);
    QTest::mouseClick(form->ListBox5->viewport(), Qt::RightButton, Qt::NoModifier,
                      form->ListBox5->visualRect(row).center());
    EXPECT_EQ(QApplication::focusWidget(), form->Edit10);
    EXPECT_TRUE(form->Edit10->isModified());
    EXPECT_EQ(doc().sequences[0].name.str(), "walk");
}

TEST_F(Undo, TheOptionsItemTogglesItsCheckMark) {
    form->load_images->setEnabled(true);
    form->load_images->trigger();
    EXPECT_TRUE(form->load_images->isChecked());
}

}  // namespace
}  // namespace dabro::test
