#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "imaging/halve.h"
#include "imaging/render.h"
#include "interchange/png_codec.h"
#include "support/apng_frames.h"
#include "ui/player_window.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

class Player : public WindowTest {
  protected:
    // Opens the sample document and the player with Ctrl+P, as a user would.
    PlayerWindow& open_player(const SpriteDocument& document) {
        open_document(document);
        QTest::keyClick(form->ListBox1, Qt::Key_P, Qt::ControlModifier);
        auto* player = form->findChild<PlayerWindow*>();
        EXPECT_NE(player, nullptr);
        EXPECT_TRUE(player->isVisible());
        return *player;
    }

    static void press(PlayerWindow& player, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(player.view, key, mods);
    }

    // Waits up to two seconds for `done`.
    static bool wait_for(const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) QTest::qWait(10);
        return done();
    }

    // Sequence 0 shows collection frames 1, 0, 2, 1 of collection 1 (4 directions).
    std::unique_ptr<SpriteDocument> playable() {
        auto d = sample_document();
        d->sequences[0].collectionIndex = 1;
        const std::int16_t indexes[] = {1, 0, 2, 1};
        for (int q = 0; q < 4; ++q)
            d->sequences[0].imageIndex[static_cast<std::size_t>(q)] = indexes[q];
        d->collections[1].frames = 3;
        return d;
    }
};

TEST_F(Player, FollowsTheSequenceDirectionAndFrameOfTheMainWindow) {
    PlayerWindow& player = open_player(*playable());
    EXPECT_EQ(player.sequence(), 0);
    EXPECT_EQ(player.frame_count(), 4);
    EXPECT_EQ(player.shown().slot, 1 * 4 + 0);

    click_row(form->ListBox5, 3);
    EXPECT_EQ(player.direction(), 3);
    EXPECT_EQ(player.shown().slot, 1 * 4 + 3);

    click_row(form->ListBox2, 2);  // a sequence frame picked while paused is shown
    EXPECT_EQ(player.frame(), 2);
    EXPECT_EQ(player.shown().collectionFrame, 2);
    EXPECT_EQ(player.shown().slot, 2 * 4 + 3);

    click_row(form->ListBox1, 2);  // "idle": collection 2 of 8 directions
    EXPECT_EQ(player.sequence(), 2);
    EXPECT_EQ(player.shown().collection, 2);
    EXPECT_TRUE(player.status_text().startsWith("Sequence 2, frame 2 of 4 | collection 2"))
        << player.status_text().toStdString();
}

TEST_F(Player, WithoutSequencesShowsTheSelectedImage) {
    auto d = sample_document();
    d->sequenceCount = 0;
    PlayerWindow& player = open_player(*d);
    EXPECT_EQ(player.sequence(), -1);
    click_row(form->ListBox3, 2);
    click_row(form->ListBox4, 7);
    click_row(form->ListBox5, 5);
    EXPECT_EQ(player.frame_count(), 1);
    EXPECT_EQ(player.shown().collection, 2);
    EXPECT_EQ(player.shown().slot, 7 * 8 + 5);
    EXPECT_TRUE(player.status_text().startsWith("Selected image | collection 2, frame 7"));
}

TEST_F(Player, AFrameOutsideTheDocumentShowsAnEmptyCellAndWhy) {
    auto d = playable();
    d->sequences[0].imageIndex[1] = 9;
    d->sequences[1].collectionIndex = 40;
    PlayerWindow& player = open_player(*d);
    press(player, Qt::Key_Right);
    EXPECT_FALSE(player.shown().found());
    EXPECT_TRUE(player.status_text().endsWith("| Collection 1 has no frame 9: it has 3 frames"));
    const QImage& picture = player.view->picture();
    EXPECT_EQ(picture.pixel(picture.width() / 2, picture.height() / 2), kPreviewGreyRgb32);

    click_row(form->ListBox1, 1);
    EXPECT_TRUE(player.status_text().endsWith(
        "| Collection 40 is not in the sprite, which has 3 collections"));
}

TEST_F(Player, KeysStepPlayLoopAndZoom) {
    PlayerWindow& player = open_player(*playable());
    struct Step {
        Qt::Key key;
        int frame;
        bool playing;
    };
    const Step steps[] = {
        {Qt::Key_Right, 1, false}, {Qt::Key_End, 3, false},   {Qt::Key_Right, 0, false},
        {Qt::Key_Left, 3, false},  {Qt::Key_Home, 0, false},  {Qt::Key_L, 0, false},
        {Qt::Key_Left, 0, false},  {Qt::Key_End, 3, false},   {Qt::Key_Right, 3, false},
        {Qt::Key_Space, 0, true},  {Qt::Key_Space, 0, false},
    };
    for (const Step& s : steps) {
        press(player, s.key);
        EXPECT_EQ(player.frame(), s.frame) << static_cast<int>(s.key);
        EXPECT_EQ(player.playing(), s.playing);
        EXPECT_EQ(player.timer_running(), s.playing);
    }
    EXPECT_FALSE(player.loopBox->isChecked());

    press(player, Qt::Key_Plus);
    press(player, Qt::Key_Plus);
    EXPECT_EQ(player.view->zoom(), 3);
    press(player, Qt::Key_Minus);
    EXPECT_EQ(player.view->zoom(), 2);
    EXPECT_EQ(player.zoomBox->value(), 2);
    const QPointF at(player.view->width() / 2.0, player.view->height() / 2.0);
    QWheelEvent wheel(at, player.view->mapToGlobal(at), QPoint(), QPoint(0, 360), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(player.view, &wheel);
    EXPECT_EQ(player.view->zoom(), 5);
    player.placeByBox->setChecked(false);
    press(player, Qt::Key_F);  // fit: the 6 x 5 frames fill the view as far as 16x allows
    EXPECT_EQ(player.view->zoom(), 16);
}

TEST_F(Player, PlaysOnATimerThatStopsWhenPaused) {
    PlayerWindow& player = open_player(*playable());
    player.fpsBox->setValue(60);
    press(player, Qt::Key_Space);
    ASSERT_TRUE(player.timer_running());
    EXPECT_TRUE(wait_for([&] { return player.frame() == 2; }));
    press(player, Qt::Key_Space);
    EXPECT_FALSE(player.timer_running());
    const int paused = player.frame();
    QTest::qWait(100);
    EXPECT_EQ(player.frame(), paused);

    // Without loop the player stops at the last frame and its timer with it.
    player.loopBox->setChecked(false);
    press(player, Qt::Key_Space);
    EXPECT_TRUE(wait_for([&] { return !player.playing(); }));
    EXPECT_EQ(player.frame(), 3);
    EXPECT_FALSE(player.timer_running());

    // Closing the player stops it too.
    press(player, Qt::Key_Space);
    EXPECT_TRUE(player.timer_running());
    player.close();
    EXPECT_FALSE(player.timer_running());
}

TEST_F(Player, FrameValuesAsMillisecondsSetEachFramesDuration) {
    auto d = playable();
    const std::int32_t values[] = {250, 0, -5, 999999};
    for (int q = 0; q < 4; ++q) d->sequences[0].frameValue[static_cast<std::size_t>(q)] = values[q];
    PlayerWindow& player = open_player(*d);
    player.placeByBox->setChecked(false);  // the export follows: cells of the largest image
    player.fpsBox->setValue(20);
    EXPECT_EQ(player.frame_interval(), 50);
    player.frameValueBox->setChecked(true);
    const int expected[] = {250, 50, 50, 60000};  // a value of 0 or less keeps the rate
    for (int q = 0; q < 4; ++q) {
        player.go_to(q);
        EXPECT_EQ(player.frame_interval(), expected[q]) << q;
    }
}

TEST_F(Player, ExportsWhatItShowsWithItsDelaysZoomAndBackground) {
    auto d = playable();
    const std::int32_t values[] = {250, 0, -5, 999999};
    for (int q = 0; q < 4; ++q) d->sequences[0].frameValue[static_cast<std::size_t>(q)] = values[q];
    PlayerWindow& player = open_player(*d);
    player.placeByBox->setChecked(false);  // the export follows: cells of the largest image
    player.fpsBox->setValue(20);
    player.frameValueBox->setChecked(true);
    player.zoomBox->setValue(2);
    // One animation's name is taken as it stands, braces and all.
    const std::string path = dir.file("shown {s} {d} {p} {name}.apng");
    prompts.answer(path);
    QTest::mouseClick(player.exportButton, Qt::LeftButton);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(' ').toStdString();
    EXPECT_EQ(prompts.requests.back().dialog, FileDialog::ExportAnimationDialog);

    const ApngFile file = split_apng(read_bytes(path));
    ASSERT_TRUE(file.ok);
    ASSERT_EQ(file.list.size(), 4u);
    EXPECT_EQ(file.plays, 0u);
    for (int q = 0; q < 4; ++q) {
        SCOPED_TRACE(q);
        player.go_to(q);
        const ApngFrame& frame = file.list[static_cast<std::size_t>(q)];
        EXPECT_EQ(frame.delayNum * 1000 / frame.delayDen, player.frame_interval());
        RgbaImage image;
        ASSERT_TRUE(decode_png(frame.png, "frame", image).ok());
        EXPECT_EQ(image.width, 6u * 2);  // the preview's grey behind every pixel
        EXPECT_EQ(image.height, 5u * 2);
        EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(),
                                [](std::uint32_t v) { return v >> 24 == 0xFF; }));
    }
}

TEST_F(Player, AnEditInTheMainWindowShowsAtOnce) {
    PlayerWindow& player = open_player(*sample_document());
    player.placeByBox->setChecked(false);  // the image at the frame's corner
    ASSERT_EQ(player.shown().slot, 0);
    CollectionImage expected = doc().collections[0].images[0];
    ASSERT_TRUE(halve_in_place(expected).ok());
    QTest::keyClick(form->ListBox1, Qt::Key_H, Qt::ControlModifier);
    ASSERT_EQ(form->status_text(), "Image size halved");

    EXPECT_NE(player.status_text().indexOf(" | 3 x 3 | "), -1)
        << player.status_text().toStdString();
    std::vector<std::uint32_t> flat(9);
    render_image_into(expected, doc().collections[0].palettes[0], flat.data(), 3, 3, 3);
    player.view->set_zoom(4);
    const QImage& picture = player.view->picture();
    const QPoint o = player.view->origin();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(picture.pixel(o.x() + x, o.y() + y),
                      flat[static_cast<std::size_t>(y / 4 * 3 + x / 4)])
                << x << "," << y;

    // The status line inspects the pixel under the cursor.
    const QPointF over(o.x() + 2 * 4 + 1, o.y() + 1 * 4 + 2);
    QMouseEvent move(QEvent::MouseMove, over, player.view->mapToGlobal(over), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(player.view, &move);
    const auto pixel = player.view->renderer().pixel_at(2, 1);
    ASSERT_TRUE(pixel.has_value());
    EXPECT_TRUE(player.status_text().contains(QStringLiteral("\n(2, 1) ")))
        << player.status_text().toStdString();
    EXPECT_TRUE(player.status_text().endsWith(QStringLiteral("alpha %1 colour #%2")
                                                  .arg(pixel->pixel.alpha)
                                                  .arg(pixel->colour, 6, 16, QLatin1Char('0'))));

    // Palette 1 is the player's own choice; the main preview keeps palette 0.
    player.paletteBox->setCurrentIndex(1);
    emit player.paletteBox->activated(1);
    render_image_into(expected, doc().collections[0].palettes[1], flat.data(), 3, 3, 3);
    EXPECT_EQ(player.view->picture().pixel(o.x() + 4, o.y() + 4), flat[4]);
}

// Whatever the fonts make of the controls, the player opens wholly on the screen (800 x 600
// in these tests): the view shrinks and the controls scroll.
TEST_F(Player, OpensWhollyOnTheScreenWhateverTheFonts) {
    const QFont font = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(font); });
    for (const int points : {0, 14, 24}) {
        if (points > 0) QApplication::setFont(QFont(font.family(), points));
        delete form->findChild<PlayerWindow*>();
        PlayerWindow& player = open_player(*playable());
        const QRect screen = form->screen()->availableGeometry();
        const QRect frame = player.frameGeometry();
        EXPECT_TRUE(screen.contains(frame)) << points << " pt: " << frame.x() << "," << frame.y()
                                            << " " << frame.width() << "x" << frame.height();
        EXPECT_FALSE(frame.intersects(form->frameGeometry()) &&
                     screen.width() >= form->frameGeometry().width() + player.width() + 8)
            << "beside the main window where there is room";
    }
}

// The status line tells the pixel under the cursor as the view shows it after every change
// of the view or the frame, and fits the window at its default width.
TEST_F(Player, TheStatusLineFollowsZoomFitAndPlaybackUnderTheCursor) {
    PlayerWindow& player = open_player(*playable());
    player.placeByBox->setChecked(false);  // frame pixels are image pixels
    player.view->set_zoom(3);
    const QPoint over = player.view->origin() + QPoint(3 * 2 + 1, 3 * 1 + 1);
    QMouseEvent move(QEvent::MouseMove, over, player.view->mapToGlobal(over), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(player.view, &move);
    const QFontMetrics metrics(player.statusLine->font());
    const auto shows_pixel_under_cursor = [&] {
        const QPoint at = player.view->image_pixel_at(over);
        const QString text = player.statusLine->text();
        for (const QString& line : text.split(QLatin1Char('\n')))
            EXPECT_LE(metrics.horizontalAdvance(line), player.statusLine->contentsRect().width())
                << "fits: " << line.toStdString();
        EXPECT_GE(player.statusLine->contentsRect().height(),
                  metrics.lineSpacing() * static_cast<int>(text.count(QLatin1Char('\n')) + 1));
        if (!text.contains(QStringLiteral("\n(%1, %2)").arg(at.x()).arg(at.y()))) return false;
        const auto pixel = player.view->renderer().pixel_at(at.x(), at.y());
        return !pixel ||
               text.endsWith(QStringLiteral("#%1").arg(pixel->colour, 6, 16, QLatin1Char('0')));
    };
    ASSERT_TRUE(shows_pixel_under_cursor()) << player.statusLine->text().toStdString();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"zoom", [&] { press(player, Qt::Key_Plus); }},
        {"fit", [&] { QTest::mouseClick(player.fitButton, Qt::LeftButton); }},
        {"next frame", [&] { press(player, Qt::Key_Right); }},
        {"another frame", [&] { press(player, Qt::Key_Right); }},
    };
    for (const auto& [name, change] : changes) {
        change();
        player.view->picture();  // as the next paint draws it
        EXPECT_TRUE(shows_pixel_under_cursor())
            << name << ": " << player.statusLine->text().toStdString();
    }
}

}  // namespace
}  // namespace dabro::test
