// The sequence player and image inspector: the window, its controls and the playback clock.
#include "ui/player_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "actions/animate.h"
#include "ui/Unit1.h"

namespace dabro {

namespace {

// Where a window of `outer` size, its frame included, goes beside `main`: to its right, else
// to its left, else as far right as `available` allows; never off `available` when it fits.
QPoint place_beside(const QRect& main, const QSize& outer, const QRect& available) {
    constexpr int kGap = 8;
    int left = main.right() + kGap;
    if (left + outer.width() > available.right() + 1) left = main.left() - kGap - outer.width();
    if (left < available.left()) left = available.right() + 1 - outer.width();
    const int lowestTop = available.bottom() + 1 - outer.height();
    return {std::max(left, available.left()),
            std::max(std::min(main.top(), lowestTop), available.top())};
}

}  // namespace

// PlayerWindow

PlayerWindow::PlayerWindow(TForm1& form) : QWidget(&form, Qt::Window), form_(form) {
    setObjectName(QStringLiteral("PlayerWindow"));
    setWindowTitle(QStringLiteral("Player"));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PlayerWindow::tick);
    build();
    connect(&form_, &TForm1::documentShown, this, &PlayerWindow::follow_main_window);
    follow_main_window();
}

PlayerWindow::~PlayerWindow() = default;

PlayerWindow& PlayerWindow::of(TForm1& form) {
    if (auto* existing = form.findChild<PlayerWindow*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new PlayerWindow(form);
}

void PlayerWindow::show_beside() {
    if (!placed_) {
        placed_ = true;
        const QRect main = form_.frameGeometry();
        const QRect inner = form_.geometry();
        // The desktop frames the player as it frames the main window.
        const QMargins frame(inner.left() - main.left(), inner.top() - main.top(),
                             main.right() - inner.right(), main.bottom() - inner.bottom());
        const QScreen* screen = form_.screen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
        if (available.isEmpty()) {
            move(main.right() + 8, main.top());
        } else {
            resize(size().boundedTo(available.size().shrunkBy(frame)));
            move(place_beside(main, size().grownBy(frame), available));
        }
    }
    show();
    raise();
    activateWindow();
    view->setFocus();
    follow_main_window();
}

void PlayerWindow::follow_main_window() {
    // A hidden player follows when it is shown again.
    if (!isVisible()) return;
    const Session& session = form_.session();
    const SpriteDocument& doc = session.document;
    const ListSelection picked = form_.selection();
    const int s = picked.sequence;
    const int listFrame = picked.sequenceFrame;
    const int d = std::max(picked.direction, 0);
    const bool sequenceShown = sequence_in_use(doc, s);
    const int previousSequence = sequence_;
    if (sequenceShown) {
        sequence_ = s;
        direction_ = d;
        frameCount_ = sequence_length(doc, s);
        // A new sequence, or a sequence frame picked while paused, is shown from that frame.
        if (s != previousSequence || (!playing_ && listFrame != listFrame_))
            frame_ = std::max(listFrame, 0);
    } else {
        sequence_ = -1;
        collection_ = picked.collection;
        collectionFrame_ = picked.collectionFrame;
        direction_ = picked.direction;
        frameCount_ = 1;
        frame_ = 0;
    }
    listFrame_ = listFrame;
    frame_ = std::clamp(frame_, 0, std::max(frameCount_ - 1, 0));
    if (frameCount_ == 0) pause();

    // The view centres the frames' drawing area anew only for another sequence.
    std::vector<FrameImage> frames;
    for (int q = 0; q < std::max(frameCount_, 1); ++q) frames.push_back(image_of_frame(q));
    view->set_content_area(content_area(frames), sequence_ != previousSequence);
    {
        const QSignalBlocker block(slider);
        slider->setRange(0, std::max(frameCount_ - 1, 0));
    }
    show_frame();
}

FrameImage PlayerWindow::image_of_frame(int frame) const {
    const Session& session = form_.session();
    FrameImage image =
        sequence_ >= 0
            ? sequence_frame_image(session.document, sequence_, frame, direction_)
            : collection_image(session.document, collection_, collectionFrame_, direction_);
    if (image.found() && !session.imagesReadable) {
        image.slot = -1;
        image.missing = NoImage::Unreadable;
        image.reason = "The sprite's images cannot be read";
    }
    if (sequence_ < 0 && (collection_ < 0 || collectionFrame_ < 0 || direction_ < 0)) {
        image.missing = NoImage::NotSelected;
        image.reason = "No image is selected";
    }
    return image;
}

Layer PlayerWindow::layer_of(const FrameImage& image) const {
    if (!image.found()) return {};
    const ImageCollection& c =
        form_.session().document.collections[static_cast<std::size_t>(image.collection)];
    const auto palette = static_cast<std::size_t>(std::clamp(paletteBox->currentIndex(), 0, 3));
    const auto k = static_cast<std::size_t>(image.slot);
    Layer layer{&c.images[k], &c.palettes[palette]};
    if (by_box()) {
        layer.x = c.boxes[k].left;
        layer.y = c.boxes[k].top;
    }
    return layer;
}

void PlayerWindow::show_frame() {
    shown_ = image_of_frame(frame_);
    FrameScene scene;
    scene.current = layer_of(shown_);
    scene.background = background_;
    scene.onionOpacity = static_cast<std::uint8_t>(onionOpacity->value() * 255 / 100);
    if (sequence_ >= 0 && frameCount_ > 1) {
        const bool loop = loopBox->isChecked();
        auto neighbour = [&](int delta) -> Layer {
            int q = frame_ + delta;
            if (loop) q = (q + frameCount_) % frameCount_;
            if (q < 0 || q >= frameCount_) return {};
            return layer_of(image_of_frame(q));
        };
        if (onionPrevious->isChecked()) scene.onion[0] = neighbour(-1);
        if (onionNext->isChecked()) scene.onion[1] = neighbour(1);
    }
    place_overlays(scene);
    view->set_scene(scene);
    {
        const QSignalBlocker block(slider);
        slider->setValue(frame_);
    }
    frameLabel->setText(sequence_ >= 0 ? QStringLiteral("%1 / %2").arg(frame_).arg(frameCount_)
                                       : QStringLiteral("image"));
    update_status();
    emit frame_shown(frame_);
}

void PlayerWindow::update_status() {
    const QString drag = drag_status();
    statusLine->setText(drag.isEmpty() ? status_text() : drag + QLatin1Char('\n') + status_text());
}

QString PlayerWindow::status_text() const {
    QString text = sequence_ >= 0 ? QStringLiteral("Sequence %1, frame %2 of %3")
                                        .arg(sequence_)
                                        .arg(frame_)
                                        .arg(frameCount_)
                                  : QStringLiteral("Selected image");
    if (!shown_.found())
        return text + QStringLiteral(" | ") + QString::fromStdString(shown_.reason);
    const CollectionImage& image = *layer_of(shown_).image;
    text += QStringLiteral(" | collection %1, frame %2, direction %3 | %4 x %5 | zoom %6x")
                .arg(shown_.collection)
                .arg(shown_.collectionFrame)
                .arg(shown_.direction)
                .arg(image.width)
                .arg(image.height)
                .arg(view->zoom());
    if (sequence_ >= 0) text += QStringLiteral(" | value %1").arg(shown_.frameValue);
    if (hovered_) {
        // The pixel under the cursor as the view shows it now: after a zoom, a pan or a new
        // frame it is another one than at the last mouse move. It has a line of its own, so
        // that the text fits the window.
        view->picture();
        const QPoint at = view->image_pixel_at(*hovered_);
        const Layer layer = layer_of(shown_);
        const std::int64_t ix = at.x() - layer.x;
        const std::int64_t iy = at.y() - layer.y;
        text += QStringLiteral("\n(%1, %2) image (%3, %4)").arg(at.x()).arg(at.y()).arg(ix).arg(iy);
        if (const auto p = view->renderer().pixel_at(ix, iy)) {
            text += p->pixel.uses_palette()
                        ? QStringLiteral(" index %1").arg(p->pixel.index)
                        : QStringLiteral(" %1").arg(p->pixel.kind == 0 ? QStringLiteral("clear")
                                                                       : QStringLiteral("black"));
            text += QStringLiteral(" alpha %1 colour #%2")
                        .arg(p->pixel.alpha)
                        .arg(p->colour, 6, 16, QLatin1Char('0'));
        }
    }
    return text;
}

int PlayerWindow::frame_interval() const {
    AnimateOptions options;
    options.fps = fpsBox->value();
    options.frameValueMs = frameValueBox->isChecked() && sequence_ >= 0;
    if (!options.frameValueMs) return frame_delay_ms({}, options);
    return frame_delay_ms(
        sequence_frame_image(form_.session().document, sequence_, frame_, direction_), options);
}

void PlayerWindow::schedule_tick(bool fromNow) {
    // Each frame is due one interval after the last was due, so the time spent drawing
    // does not slow the rate down.
    if (fromNow || !clock_.isValid()) {
        clock_.start();
        due_ = 0;
    }
    const qint64 now = clock_.elapsed();
    due_ += frame_interval();
    // A player that fell behind (a busy machine) goes on from now instead of racing.
    if (due_ < now) due_ = now;
    timer_.start(static_cast<int>(due_ - now));
}

void PlayerWindow::play() {
    if (frameCount_ <= 1) return;
    if (!loopBox->isChecked() && frame_ >= frameCount_ - 1) frame_ = 0;
    playing_ = true;
    playButton->setText(QStringLiteral("Pause"));
    show_frame();
    schedule_tick(true);
}

void PlayerWindow::pause() {
    playing_ = false;
    timer_.stop();
    playButton->setText(QStringLiteral("Play"));
}

void PlayerWindow::toggle_play() {
    if (playing_)
        pause();
    else
        play();
}

void PlayerWindow::tick() {
    if (!playing_) return;
    if (frame_ + 1 >= frameCount_ && !loopBox->isChecked()) {
        pause();
        return;
    }
    frame_ = frameCount_ > 0 ? (frame_ + 1) % frameCount_ : 0;
    nudged_ = nullptr;
    show_frame();
    schedule_tick(false);
}

void PlayerWindow::step(int delta) {
    pause();
    if (frameCount_ <= 0) return;
    int q = frame_ + delta;
    if (loopBox->isChecked())
        q = ((q % frameCount_) + frameCount_) % frameCount_;
    else
        q = std::clamp(q, 0, frameCount_ - 1);
    go_to(q);
}

void PlayerWindow::go_to(int frame) {
    nudged_ = nullptr;
    frame_ = std::clamp(frame, 0, std::max(frameCount_ - 1, 0));
    show_frame();
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
    if (move_key(event)) return;
    switch (event->key()) {
        case Qt::Key_Space:
            toggle_play();
            break;
        case Qt::Key_Left:
            step(-1);
            break;
        case Qt::Key_Right:
            step(1);
            break;
        case Qt::Key_Home:
            pause();
            go_to(0);
            break;
        case Qt::Key_End:
            pause();
            go_to(frameCount_ - 1);
            break;
        case Qt::Key_L:
            loopBox->toggle();
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            view->set_zoom(view->zoom() + 1);
            break;
        case Qt::Key_Minus:
            view->set_zoom(view->zoom() - 1);
            break;
        case Qt::Key_F:
            view->fit();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void PlayerWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    follow_main_window();
}

void PlayerWindow::hideEvent(QHideEvent* event) {
    // A player out of sight keeps no timer running.
    pause();
    QWidget::hideEvent(event);
}

}  // namespace dabro
