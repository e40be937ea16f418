// The Image menu's placement items: where they sit, when they apply, and their steps.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include "ui/place_frames_dialog.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using PlacementWindow = WindowTest;

const Command* last_step(const TForm1& form) {
    return form.history().next_undo();
}

TEST_F(PlacementWindow, ItemsFollowTheImageMenusItemsAndTheSelection) {
    const QList<QAction*> all =
        qobject_cast<QMenu*>(menu_item(*form, "ImportSheet1")->parent())->actions();
    const QList<QAction*> ours = {menu_item(*form, "PlaceFrames1"),
                                  menu_item(*form, "CopyPlacement1"),
                                  menu_item(*form, "PastePlacement1"),
                                  menu_item(*form, "PasteXOnly1"), menu_item(*form, "PasteYOnly1")};
    EXPECT_EQ(all.mid(all.size() - 5), ours);
    EXPECT_GT(all.indexOf(menu_item(*form, "PlaceFrames1")),
              all.indexOf(menu_item(*form, "EditSheetExternally1")));
    for (const QAction* a : ours) {
        EXPECT_TRUE(a->shortcuts().isEmpty()) << a->text().toStdString();
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    open_document(*sample_document());
    EXPECT_TRUE(menu_item(*form, "PlaceFrames1")->isEnabled());
    EXPECT_TRUE(menu_item(*form, "CopyPlacement1")->isEnabled());
    EXPECT_FALSE(menu_item(*form, "PastePlacement1")->isEnabled());
    menu_item(*form, "CopyPlacement1")->trigger();
    for (const QAction* a : ours) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
}

// The idle sequence shows frames 0 to 3 of its collection of 8 directions: direction 3 of
// those moves, and nothing else; one undo puts every box back.
TEST_F(PlacementWindow, PlaceFramesMovesTheSequencesFramesInOneDirectionAsOneStep) {
    open_document(*sample_document());
    click_row(form->ListBox1, 2);
    click_row(form->ListBox5, 3);
    const auto before = doc().collections[2].boxes;
    PlaceChoice choice;
    choice.scope = PlaceScope::SequenceDirection;
    choice.request.operation = PlaceOperation::By;
    choice.pair = QStringLiteral("3,-2");
    prompts.placeAnswer = choice;
    menu_item(*form, "PlaceFrames1")->trigger();
    ASSERT_EQ(prompts.placeRequests.size(), 1u);
    EXPECT_EQ(prompts.placeRequests[0].directions, 8);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    const auto& after = doc().collections[2].boxes;
    for (int slot = 0; slot < 80; ++slot) {
        const bool moved = slot % 8 == 3 && slot / 8 < 4;
        EXPECT_EQ(after[slot].left, before[slot].left + (moved ? 3 : 0)) << slot;
        EXPECT_EQ(after[slot].bottom, before[slot].bottom - (moved ? 2 : 0)) << slot;
    }
    const int shown = form->ListBox4->item_index() * 8 + 3;
    EXPECT_EQ(form->Edit15->text(), QString::number(after[shown].left));
    EXPECT_TRUE(form->windowTitle().startsWith('*'));
    ASSERT_NE(last_step(*form), nullptr);
    EXPECT_EQ(last_step(*form)->name(), "Place frames");
    form->Undo1->trigger();
    EXPECT_TRUE(doc().collections[2].boxes == before);
    EXPECT_EQ(last_step(*form), nullptr);
}

TEST_F(PlacementWindow, PasteXOnlyTakesTheCopiedLeftAndKeepsTopAndSize) {
    auto document = sample_document();
    document->collections[0].boxes[0] = {7, 9, 13, 14};
    open_document(*document);
    menu_item(*form, "CopyPlacement1")->trigger();
    click_row(form->ListBox4, 1);
    const BoundingBox old = doc().collections[0].boxes[1];
    menu_item(*form, "PasteXOnly1")->trigger();
    const BoundingBox& pasted = doc().collections[0].boxes[1];
    EXPECT_EQ(pasted.left, 7);
    EXPECT_EQ(pasted.right - pasted.left, old.right - old.left);
    EXPECT_EQ(pasted.top, old.top);
    EXPECT_EQ(form->Edit15->text(), QStringLiteral("7"));
    EXPECT_EQ(last_step(*form)->name(), "Place frames");
    form->Undo1->trigger();
    EXPECT_TRUE(doc().collections[0].boxes[1] == old);
}

// The real dialog: its four scopes (those the selection does not allow greyed out), its
// operations, each enabling only its own options, and OK refused while X,Y does not read.
TEST_F(PlacementWindow, PlaceFramesDialogOffersItsScopesAndOnlyTheChosenOperationsOptions) {
    std::optional<PlaceChoice> choice;
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        const auto guard = qScopeGuard([&] {
            if (dialog->isVisible()) QMetaObject::invokeMethod(dialog, "reject");
        });
        auto* scope = dialog->findChild<QComboBox*>(QStringLiteral("Scope"));
        auto* operation = dialog->findChild<QComboBox*>(QStringLiteral("Operation"));
        auto* pair = dialog->findChild<QLineEdit*>(QStringLiteral("Pair"));
        auto* problem = dialog->findChild<QLabel*>(QStringLiteral("Problem"));
        ASSERT_TRUE(scope && operation && pair && problem);
        ASSERT_EQ(scope->count(), 4);
        EXPECT_EQ(scope->itemText(3), QStringLiteral("The whole collection"));
        auto* scopes = static_cast<QStandardItemModel*>(scope->model());
        EXPECT_FALSE(scopes->item(0)->isEnabled());
        for (int i = 1; i < 4; ++i) EXPECT_TRUE(scopes->item(i)->isEnabled()) << i;
        EXPECT_EQ(scope->currentIndex(), 1);
        QWidget* const options[] = {
            pair,
            dialog->findChild<QComboBox*>(QStringLiteral("Anchor")),
            dialog->findChild<QCheckBox*>(),
            dialog->findChild<QSpinBox*>(),
            dialog->findChild<QComboBox*>(QStringLiteral("CopyDirection")),
            dialog->findChild<QComboBox*>(QStringLiteral("Axes")),
        };
        // Pair, anchor, together, copy frame, copy direction, axes: enabled per operation.
        const std::pair<const char*, const char*> operations[] = {
            {"Move by DX,DY", "100000"},         {"Set top-left to X,Y", "100000"},
            {"Anchor a point at X,Y", "111000"}, {"Fit box to image", "000000"},
            {"Copy from frame", "000111"},
        };
        ASSERT_EQ(operation->count(), 5);
        for (int op = 0; op < 5; ++op) {
            operation->setCurrentIndex(op);
            EXPECT_EQ(operation->itemText(op), QString::fromLatin1(operations[op].first));
            for (int w = 0; w < 6; ++w)
                EXPECT_EQ(options[w]->isEnabled(), operations[op].second[w] == '1') << op << w;
        }
        EXPECT_EQ(dialog->findChild<QComboBox*>(QStringLiteral("CopyDirection"))->count(), 1 + 8);
        QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        operation->setCurrentIndex(0);
        for (const char* bad : {",4", "3", "x,1", ""}) {
            pair->setText(QString::fromLatin1(bad));
            ok->click();
            EXPECT_TRUE(dialog->isVisible()) << bad;
            EXPECT_FALSE(problem->text().isEmpty()) << bad;
        }
        operation->setCurrentIndex(1);
        pair->setText(QStringLiteral(",40"));
        ok->click();
    });
    choice = ask_place_frames(
        form.get(),
        {.imageScope = false, .sequenceScopes = true, .collectionScope = true, .directions = 8});
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->scope, PlaceScope::SequenceDirection);
    EXPECT_EQ(choice->request.operation, PlaceOperation::Set);
    EXPECT_EQ(choice->pair, QStringLiteral(",40"));
}

}  // namespace
}  // namespace dabro::test
