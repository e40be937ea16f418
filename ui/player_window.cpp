#include "ui/player_window.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/Unit1.h"

namespace dabro {

namespace {

constexpr int kDefaultFps = 10;
constexpr int kMaxFps = 60;
// A frame value read as a duration is held to this range of milliseconds.
constexpr int kMaxFrameMs = 60000;

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

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

// PlayerView

PlayerView::PlayerView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(160, 120);
}

void PlayerView::set_scene(const FrameScene& scene) {
    scene_ = scene;
    stale_ = true;
    update();
}

void PlayerView::set_content_size(int width, int height) {
    if (width == contentWidth_ && height == contentHeight_) return;
    contentWidth_ = width;
    contentHeight_ = height;
    stale_ = true;
    update();
}

void PlayerView::set_box(std::optional<BoundingBox> box) {
    box_ = box;
    update();
}

void PlayerView::set_zoom(int zoom) {
    zoom_about(zoom, QPointF(width() / 2.0, height() / 2.0));
}

void PlayerView::zoom_about(int zoom, QPointF at) {
    zoom = std::clamp(zoom, 1, kMaxZoom);
    if (zoom == zoom_) return;
    // The image point under `at` stays under it.
    const QPoint o = origin();
    const double ix = (at.x() - o.x()) / zoom_;
    const double iy = (at.y() - o.y()) / zoom_;
    zoom_ = zoom;
    const QPoint centred = origin() - pan_;
    pan_ = QPoint(static_cast<int>(std::lround(at.x() - ix * zoom_)) - centred.x(),
                  static_cast<int>(std::lround(at.y() - iy * zoom_)) - centred.y());
    stale_ = true;
    update();
    emit view_changed();
}

void PlayerView::fit() {
    int zoom = kMaxZoom;
    if (contentWidth_ > 0) zoom = std::min(zoom, width() / contentWidth_);
    if (contentHeight_ > 0) zoom = std::min(zoom, height() / contentHeight_);
    zoom_ = std::max(zoom, 1);
    pan_ = QPoint();
    stale_ = true;
    update();
    emit view_changed();
}

QPoint PlayerView::origin() const {
    const std::int64_t x = (width() - std::int64_t{contentWidth_} * zoom_) / 2 + pan_.x();
    const std::int64_t y = (height() - std::int64_t{contentHeight_} * zoom_) / 2 + pan_.y();
    return {static_cast<int>(std::clamp<std::int64_t>(x, -1000000000, 1000000000)),
            static_cast<int>(std::clamp<std::int64_t>(y, -1000000000, 1000000000))};
}

QPoint PlayerView::image_pixel_at(QPoint p) const {
    const QPoint o = origin();
    return {static_cast<int>(floor_div(p.x() - o.x(), zoom_)),
            static_cast<int>(floor_div(p.y() - o.y(), zoom_))};
}

void PlayerView::draw() {
    if (buffer_.size() != size()) {
        buffer_ = QImage(size(), QImage::Format_RGB32);
        renderer_.invalidate();
        stale_ = true;
    }
    if (!stale_ || buffer_.isNull()) return;
    FrameScene scene = scene_;
    scene.zoom = zoom_;
    const QPoint o = origin();
    scene.originX = o.x();
    scene.originY = o.y();
    renderer_.render(scene, {reinterpret_cast<std::uint32_t*>(buffer_.bits()), buffer_.width(),
                             buffer_.height(), buffer_.bytesPerLine() / 4});
    stale_ = false;
}

const QImage& PlayerView::picture() {
    draw();
    return buffer_;
}

void PlayerView::paintEvent(QPaintEvent*) {
    draw();
    QPainter painter(this);
    painter.drawImage(0, 0, buffer_);
    if (!box_) return;
    // The box in image pixels: from the left edge of column `left` to the left edge of
    // column `right`, and the same for rows.
    const QPoint o = origin();
    const std::int64_t x0 = o.x() + std::int64_t{std::min(box_->left, box_->right)} * zoom_;
    const std::int64_t x1 = o.x() + std::int64_t{std::max(box_->left, box_->right)} * zoom_;
    const std::int64_t y0 = o.y() + std::int64_t{std::min(box_->top, box_->bottom)} * zoom_;
    const std::int64_t y1 = o.y() + std::int64_t{std::max(box_->top, box_->bottom)} * zoom_;
    auto clampToView = [](std::int64_t v) {
        return static_cast<double>(std::clamp<std::int64_t>(v, -4, 100000));
    };
    painter.setPen(QPen(QColor(255, 220, 0), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(clampToView(x0) + 0.5, clampToView(y0) + 0.5,
                            std::max(0.0, clampToView(x1) - clampToView(x0) - 1),
                            std::max(0.0, clampToView(y1) - clampToView(y0) - 1)));
}

void PlayerView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) zoom_about(zoom_ + steps, event->position());
    event->accept();
}

void PlayerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void PlayerView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        pan_ += at - *dragFrom_;
        dragFrom_ = at;
        stale_ = true;
        update();
        emit view_changed();
    }
    emit hovered(at);
}

void PlayerView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

void PlayerView::leaveEvent(QEvent*) {
    emit hovered(std::nullopt);
}

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

void PlayerWindow::build() {
    auto noFocus = [](QWidget* w) {
        w->setFocusPolicy(Qt::NoFocus);
        return w;
    };
    view = new PlayerView(this);
    view->setObjectName(QStringLiteral("PlayerView"));
    view->resize(640, 480);

    playButton = new QPushButton(QStringLiteral("Play"), this);
    loopBox = new QCheckBox(QStringLiteral("Loop"), this);
    loopBox->setChecked(true);
    fpsBox = new QSpinBox(this);
    fpsBox->setRange(1, kMaxFps);
    fpsBox->setValue(kDefaultFps);
    fpsBox->setSuffix(QStringLiteral(" fps"));
    frameValueBox = new QCheckBox(QStringLiteral("Frame value as ms"), this);
    slider = new QSlider(Qt::Horizontal, this);
    frameLabel = new QLabel(this);
    frameLabel->setMinimumWidth(90);
    zoomBox = new QSpinBox(this);
    zoomBox->setRange(1, kMaxZoom);
    zoomBox->setPrefix(QStringLiteral("Zoom "));
    zoomBox->setSuffix(QStringLiteral("x"));
    fitButton = new QPushButton(QStringLiteral("Fit"), this);
    backgroundBox = new QComboBox(this);
    backgroundBox->addItems({QStringLiteral("Preview grey"), QStringLiteral("Checkerboard"),
                             QStringLiteral("Colour...")});
    paletteBox = new QComboBox(this);
    for (int p = 0; p < kPalettesPerCollection; ++p)
        paletteBox->addItem(QStringLiteral("Palette %1").arg(p));
    boxOutline = new QCheckBox(QStringLiteral("Box"), this);
    onionPrevious = new QCheckBox(QStringLiteral("Onion previous"), this);
    onionNext = new QCheckBox(QStringLiteral("Onion next"), this);
    onionOpacity = new QSpinBox(this);
    onionOpacity->setRange(0, 100);
    onionOpacity->setValue(40);
    onionOpacity->setSuffix(QStringLiteral(" %"));
    exportButton = new QPushButton(QStringLiteral("Export animation\u2026"), this);
    statusLine = new QLabel(this);
    statusLine->setTextFormat(Qt::PlainText);
    statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the second line, the pixel under the cursor, so the view keeps its size.
    statusLine->setMinimumHeight(2 * statusLine->fontMetrics().lineSpacing());

    // Keys belong to the player; only the number fields take the focus, for typing.
    for (QWidget* w : std::initializer_list<QWidget*>{
             playButton, loopBox, frameValueBox, slider, fitButton, backgroundBox, paletteBox,
             boxOutline, onionPrevious, onionNext, exportButton})
        noFocus(w);
    for (QSpinBox* box : {fpsBox, zoomBox, onionOpacity}) box->setFocusPolicy(Qt::ClickFocus);

    auto* playRow = new QHBoxLayout;
    playRow->addWidget(playButton);
    playRow->addWidget(loopBox);
    playRow->addWidget(fpsBox);
    playRow->addWidget(frameValueBox);
    playRow->addWidget(slider, 1);
    playRow->addWidget(frameLabel);
    playRow->addWidget(exportButton);
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(zoomBox);
    viewRow->addWidget(fitButton);
    viewRow->addWidget(backgroundBox);
    viewRow->addWidget(paletteBox);
    viewRow->addWidget(boxOutline);
    viewRow->addWidget(onionPrevious);
    viewRow->addWidget(onionNext);
    viewRow->addWidget(onionOpacity);
    viewRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(viewRow);
    layout->addWidget(view, 1);
    layout->addLayout(playRow);
    layout->addWidget(statusLine);
    resize(760, 600);

    connect(playButton, &QPushButton::clicked, this, &PlayerWindow::toggle_play);
    connect(fitButton, &QPushButton::clicked, view, &PlayerView::fit);
    connect(exportButton, &QPushButton::clicked, this, &PlayerWindow::export_animation);
    connect(slider, &QSlider::valueChanged, this, [this](int v) {
        if (v != frame_) go_to(v);
    });
    connect(fpsBox, &QSpinBox::valueChanged, this, [this] {
        if (playing_) schedule_tick(true);
    });
    connect(frameValueBox, &QCheckBox::toggled, this, [this] {
        if (playing_) schedule_tick(true);
    });
    connect(zoomBox, &QSpinBox::valueChanged, view, &PlayerView::set_zoom);
    connect(view, &PlayerView::view_changed, this, [this] {
        const QSignalBlocker block(zoomBox);
        zoomBox->setValue(view->zoom());
        update_status();
    });
    connect(view, &PlayerView::hovered, this, [this](std::optional<QPoint> at) {
        hovered_ = at;
        update_status();
    });
    connect(backgroundBox, &QComboBox::activated, this, &PlayerWindow::choose_background);
    connect(paletteBox, &QComboBox::activated, this, &PlayerWindow::show_frame);
    for (QCheckBox* box : {boxOutline, onionPrevious, onionNext})
        connect(box, &QCheckBox::toggled, this, &PlayerWindow::show_frame);
    connect(onionOpacity, &QSpinBox::valueChanged, this, &PlayerWindow::show_frame);
    zoomBox->setValue(1);
    view->setFocus();
}

void PlayerWindow::choose_background(int index) {
    switch (index) {
        case 0:
            background_ = {};
            break;
        case 1:
            background_ = {Backdrop::Checkerboard, 0};
            break;
        default: {
            const QColor now = background_.kind == Backdrop::Colour
                                   ? QColor::fromRgb(background_.colour)
                                   : QColor::fromRgb(kGreyColour);
            const QColor chosen = QColorDialog::getColor(now, this, QStringLiteral("Background"));
            if (chosen.isValid())
                background_ = {Backdrop::Colour,
                               static_cast<std::uint32_t>(chosen.rgb()) & 0xFFFFFF};
            // A cancelled choice keeps the background, and the box says which it is.
            backgroundBox->setCurrentIndex(static_cast<int>(background_.kind));
            break;
        }
    }
    show_frame();
}

void PlayerWindow::follow_main_window() {
    // A hidden player follows when it is shown again.
    if (!isVisible()) return;
    const Session& session = form_.session();
    const SpriteDocument& doc = session.document;
    const int s = form_.ListBox1->item_index();
    const int listFrame = form_.ListBox2->item_index();
    const int d = std::max(form_.ListBox5->item_index(), 0);
    const bool sequenceShown = s >= 0 && s < std::min(doc.sequenceCount, kMaxSequences);
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
        collection_ = form_.ListBox3->item_index();
        collectionFrame_ = form_.ListBox4->item_index();
        direction_ = form_.ListBox5->item_index();
        frameCount_ = 1;
        frame_ = 0;
    }
    listFrame_ = listFrame;
    frame_ = std::clamp(frame_, 0, std::max(frameCount_ - 1, 0));
    if (frameCount_ == 0) pause();

    // The content box is the largest frame, so frames of several sizes keep their place.
    int w = 0;
    int h = 0;
    for (int q = 0; q < std::max(frameCount_, 1); ++q) {
        const FrameImage image = image_of_frame(q);
        if (!image.found()) continue;
        const Extent e = drawn_extent(doc.collections[static_cast<std::size_t>(image.collection)]
                                          .images[static_cast<std::size_t>(image.slot)]);
        w = std::max(w, e.width);
        h = std::max(h, e.height);
    }
    view->set_content_size(w, h);
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
        image.reason = "The sprite's images cannot be read";
    }
    if (sequence_ < 0 && (collection_ < 0 || collectionFrame_ < 0 || direction_ < 0))
        image.reason = "No image is selected";
    return image;
}

Layer PlayerWindow::layer_of(const FrameImage& image) const {
    if (!image.found()) return {};
    const ImageCollection& c =
        form_.session().document.collections[static_cast<std::size_t>(image.collection)];
    const auto palette = static_cast<std::size_t>(std::clamp(paletteBox->currentIndex(), 0, 3));
    return {&c.images[static_cast<std::size_t>(image.slot)], &c.palettes[palette]};
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
    view->set_scene(scene);
    std::optional<BoundingBox> box;
    if (boxOutline->isChecked() && shown_.found())
        box = form_.session()
                  .document.collections[static_cast<std::size_t>(shown_.collection)]
                  .boxes[static_cast<std::size_t>(shown_.slot)];
    view->set_box(box);
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
    statusLine->setText(status_text());
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
        text += QStringLiteral("\n(%1, %2)").arg(at.x()).arg(at.y());
        if (const auto p = view->renderer().pixel_at(at.x(), at.y())) {
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
    if (frameValueBox->isChecked() && sequence_ >= 0) {
        const FrameImage image =
            sequence_frame_image(form_.session().document, sequence_, frame_, direction_);
        if (image.frameValue > 0 && image.reason.rfind("Sequence", 0) != 0)
            return std::min(image.frameValue, kMaxFrameMs);
    }
    return 1000 / fpsBox->value();
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
    frame_ = std::clamp(frame, 0, std::max(frameCount_ - 1, 0));
    show_frame();
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
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
