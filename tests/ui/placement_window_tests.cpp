// The Image menu's placement items: where they sit, when they apply, and their steps.
#include <QMenu>
#include <QTest>

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

}  // namespace
}  // namespace dabro::test
