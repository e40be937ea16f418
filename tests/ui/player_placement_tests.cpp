// The player's Fit when frames are drawn by box.
#include <QCheckBox>
#include <QSpinBox>
#include <QTest>

#include "ui/player_window.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using PlayerPlacement = WindowTest;

// Frames whose boxes lie far apart: Fit shows their whole drawing area at the largest zoom
// that holds it, and the overlays (a box far larger than its image, a baseline and the
// crosshair far outside) change nothing.
TEST_F(PlayerPlacement, FitShowsTheWholeDrawingAreaAtTheLargestZoomAndIgnoresOverlays) {
    auto document = sample_document();  // "walk": frames 0..3 of 3 images 6 x 5
    auto& boxes = document->collections[0].boxes;
    boxes[0] = {-40, -4, -34, 1};
    boxes[1] = {30, 20, 36, 25};
    boxes[2] = {0, 0, 900, 700};
    open_document(*document);
    QTest::keyClick(form->ListBox1, Qt::Key_P, Qt::ControlModifier);
    auto* player = form->findChild<PlayerWindow*>();
    ASSERT_NE(player, nullptr);
    const Area u{-40, -4, 36, 25};
    player->go_to(2);
    player->boxOutline->setChecked(false);
    player->crosshairBox->setChecked(false);
    QTest::keyClick(player->view, Qt::Key_F);
    const int zoom = player->view->zoom();
    const QPoint origin = player->view->origin();
    const QSize size = player->view->size();
    ASSERT_GT(zoom, 1);
    const QRect shown(origin + QPoint(u.left, u.top) * zoom, QSize(u.width(), u.height()) * zoom);
    EXPECT_TRUE(QRect(QPoint(), size).contains(shown)) << shown.x() << "," << shown.y();
    EXPECT_TRUE(u.width() * (zoom + 1) > size.width() || u.height() * (zoom + 1) > size.height());

    player->view->set_zoom(1);
    player->boxOutline->setChecked(true);
    player->crosshairBox->setChecked(true);
    player->baselineRow->setValue(-500);
    player->baselineBox->setChecked(true);
    QTest::keyClick(player->view, Qt::Key_F);
    EXPECT_EQ(player->view->zoom(), zoom);
    EXPECT_EQ(player->view->origin(), origin);
}

}  // namespace
}  // namespace dabro::test
