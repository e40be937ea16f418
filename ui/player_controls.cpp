// The player's controls: building them, laying them out and wiring them to the playback.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/player_window.h"

namespace dabro {

namespace {

constexpr int kDefaultFps = 10;
constexpr int kMaxBaseline = 1 << 20;

// Scrolls the player's controls on a screen too small for them, and leaves every key to the
// player: the arrows step through the frames instead of scrolling.
class ControlsArea : public QScrollArea {
  public:
    using QScrollArea::QScrollArea;

  protected:
    void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
};

}  // namespace

void PlayerWindow::build() {
    auto noFocus = [](QWidget* w) {
        w->setFocusPolicy(Qt::NoFocus);
        return w;
    };
    auto* area = new ControlsArea(this);
    auto* content = new QWidget(area);
    view = new PlayerView(content);
    view->setObjectName(QStringLiteral("PlayerView"));

    playButton = new QPushButton(QStringLiteral("Play"), this);
    loopBox = new QCheckBox(QStringLiteral("Loop"), this);
    loopBox->setChecked(true);
    fpsBox = new QSpinBox(this);
    fpsBox->setRange(1, kMaxPlayerFps);
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
    placeByBox = new QCheckBox(QStringLiteral("Place by box"), this);
    placeByBox->setChecked(true);
    crosshairBox = new QCheckBox(QStringLiteral("Crosshair"), this);
    crosshairBox->setChecked(true);
    baselineBox = new QCheckBox(QStringLiteral("Baseline"), this);
    baselineRow = new QSpinBox(this);
    baselineRow->setRange(-kMaxBaseline, kMaxBaseline);
    baselineRow->setPrefix(QStringLiteral("y "));
    pinButton = new QPushButton(QStringLiteral("Pin as reference"), this);
    pinButton->setCheckable(true);
    moveButton = new QPushButton(QStringLiteral("Move"), this);
    moveButton->setCheckable(true);
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
             boxOutline, placeByBox, crosshairBox, baselineBox, pinButton, moveButton,
             onionPrevious, onionNext, exportButton})
        noFocus(w);
    for (QSpinBox* box : {fpsBox, zoomBox, onionOpacity, baselineRow})
        box->setFocusPolicy(Qt::ClickFocus);

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
    auto* placeRow = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{moveButton, placeByBox, crosshairBox,
                                                      baselineBox, baselineRow, pinButton})
        placeRow->addWidget(w);
    placeRow->addStretch(1);
    auto* layout = new QVBoxLayout(content);
    layout->addLayout(viewRow);
    layout->addLayout(placeRow);
    layout->addWidget(view, 1);
    layout->addLayout(playRow);
    layout->addWidget(statusLine);
    // The view shrinks to its least size first; what still does not fit the screen scrolls.
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
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
    for (QCheckBox* box : {boxOutline, crosshairBox, baselineBox, onionPrevious, onionNext})
        connect(box, &QCheckBox::toggled, this, &PlayerWindow::show_frame);
    connect(baselineRow, &QSpinBox::valueChanged, this, &PlayerWindow::show_frame);
    connect(placeByBox, &QCheckBox::toggled, this, &PlayerWindow::follow_main_window);
    connect(pinButton, &QPushButton::toggled, this, &PlayerWindow::pin_reference);
    connect(moveButton, &QPushButton::toggled, this, &PlayerWindow::set_move_mode);
    connect(view, &PlayerView::move_pressed, this, &PlayerWindow::drag_pressed);
    connect(view, &PlayerView::move_dragged, this, &PlayerWindow::drag_moved);
    connect(view, &PlayerView::move_released, this, [this] {
        drag_.reset();
        update_status();
    });
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
}  // namespace dabro
