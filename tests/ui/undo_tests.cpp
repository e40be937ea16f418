#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

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
