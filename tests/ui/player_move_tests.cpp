#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include "ui/player_window.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

class PlayerMove : public WindowTest {
  protected:
    // The sample's first sequence in the player, at zoom 4, in Move mode.
    PlayerWindow& open_player() {
        open_document(*sample_document());
        QTest::keyClick(form->ListBox1, Qt::Key_P, Qt::ControlModifier);
        auto* player = form->findChild<PlayerWindow*>();
        EXPECT_NE(player, nullptr);
        player->view->set_zoom(4);
        press(*player, Qt::Key_M);
        EXPECT_TRUE(player->move_mode());
        return *player;
    }
    static void press(PlayerWindow& player, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(player.view, key, mods);
    }
    static void mouse(PlayerWindow& player, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, player.view->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(player.view, &event);
    }
    BoundingBox box_of(const PlayerWindow& player) {
        return doc().collections[player.shown().collection].boxes[player.shown().slot];
    }
    static BoundingBox moved(BoundingBox b, int dx, int dy) {
        return {b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
    }
};

// A drag moves the image by the frame pixels between the press and the cursor, floored at
// the zoom, as one step the main window shows at once; Esc puts it back.
TEST_F(PlayerMove, ADragMovesTheImageAsOneStepAndEscPutsItBack) {
    PlayerWindow& player = open_player();
    const BoundingBox start = box_of(player);
    const std::size_t steps = form->history().size();
    const QPoint from = player.view->origin() + QPoint(1, 1);
    mouse(player, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(player, QEvent::MouseMove, from + QPoint(2, 0), Qt::LeftButton);  // under a pixel
    EXPECT_EQ(box_of(player), start);
    mouse(player, QEvent::MouseMove, from + QPoint(5, -2), Qt::LeftButton);
    mouse(player, QEvent::MouseMove, from + QPoint(11, 9), Qt::LeftButton);
    EXPECT_EQ(box_of(player), moved(start, 3, 2));
    EXPECT_TRUE(player.statusLine->text().startsWith(
        QStringLiteral("Box left %1, top %2 | moved 3, 2").arg(start.left + 3).arg(start.top + 2)));
    EXPECT_EQ(form->Edit15->text(), QString::number(start.left + 3));
    EXPECT_TRUE(form->windowTitle().contains(QLatin1Char('*')) || form->isWindowModified());
    press(player, Qt::Key_Escape);
    EXPECT_EQ(box_of(player), start);
    mouse(player, QEvent::MouseButtonRelease, from + QPoint(11, 9), Qt::NoButton);

    mouse(player, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(player, QEvent::MouseMove, from + QPoint(-1, 4), Qt::LeftButton);
    mouse(player, QEvent::MouseMove, from + QPoint(-5, 4), Qt::LeftButton);
    mouse(player, QEvent::MouseButtonRelease, from + QPoint(-5, 4), Qt::NoButton);
    EXPECT_EQ(box_of(player), moved(start, -1, 1));
    ASSERT_EQ(form->history().size(), steps + 1);
    EXPECT_EQ(form->history().next_undo()->name(), "Move image");
    press(player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box_of(player), start);
    press(player, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box_of(player), moved(start, -1, 1));
}

// Arrow moves of one image in a row are one step; another frame shown starts a new one.
TEST_F(PlayerMove, ArrowKeysNudgeInRunsOfOneStep) {
    PlayerWindow& player = open_player();
    const BoundingBox start = box_of(player);
    const std::size_t steps = form->history().size();
    const int frame = player.frame();
    press(player, Qt::Key_Right);
    press(player, Qt::Key_Right);
    press(player, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(player.frame(), frame) << "arrows move, they do not step";
    EXPECT_EQ(box_of(player), moved(start, 2, -8));
    EXPECT_EQ(form->history().size(), steps + 1);
    press(player, Qt::Key_Period);
    press(player, Qt::Key_Comma);
    EXPECT_EQ(player.frame(), frame);
    press(player, Qt::Key_Left);
    EXPECT_EQ(form->history().size(), steps + 2);
    press(player, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box_of(player), moved(start, 2, -8));
    press(player, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(box_of(player), moved(start, 1, -8));
}

// Ctrl+C copies the frame's left and top; Ctrl+V pastes both, Shift only x, Alt only y.
TEST_F(PlayerMove, CopyAndPasteAPlace) {
    PlayerWindow& player = open_player();
    press(player, Qt::Key_Down, Qt::ShiftModifier);
    const BoundingBox copied = box_of(player);
    press(player, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("%1,%2").arg(copied.left).arg(copied.top));
    QApplication::clipboard()->setText(QStringLiteral("%1,%2").arg(copied.left - 3).arg(-7));
    struct Case {
        Qt::KeyboardModifiers mods;
        bool x, y;
    };
    for (const Case c : {Case{Qt::ShiftModifier, true, false}, Case{Qt::AltModifier, false, true},
                         Case{Qt::NoModifier, true, true}}) {
        const BoundingBox before = box_of(player);
        press(player, Qt::Key_V, Qt::ControlModifier | c.mods);
        EXPECT_EQ(box_of(player), moved(before, c.x ? copied.left - 3 - before.left : 0,
                                        c.y ? -7 - before.top : 0));
        EXPECT_EQ(form->history().next_undo()->name(), "Paste placement");
        press(player, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(box_of(player), before);
    }
}

}  // namespace
}  // namespace dabro::test
