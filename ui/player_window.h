// The sequence player and image inspector beside the main window.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "commands/command.h"
#include "imaging/player_render.h"
#include "ui/player_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace dabro {

class MoveImageStep;
class TForm1;

// The sequence player and image inspector: a window beside the main window that follows
// its selection. With a sequence selected it plays that sequence in the selected direction;
// without one it shows the selected image. It reads the document at every frame, so edits
// made in the main window show at once.
class PlayerWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PlayerWindow(TForm1& form);
    ~PlayerWindow() override;

    // The player of `form`, created on first use.
    static PlayerWindow& of(TForm1& form);

    // Shows the window, the first time to the right of the main window, and raises it.
    void show_beside();

    // Reads the main window's selection and the document again and shows them.
    void follow_main_window();

    void play();
    void pause();
    void toggle_play();
    // Writes what the player shows as an animation, in the format the chosen name gives.
    void export_animation();
    // Moves by `delta` frames; past either end it wraps when looping and stops otherwise.
    void step(int delta);
    void go_to(int frame);

    bool playing() const { return playing_; }
    bool timer_running() const { return timer_.isActive(); }
    int frame() const { return frame_; }
    int frame_count() const { return frameCount_; }
    int sequence() const { return sequence_; }
    int direction() const { return direction_; }
    const FrameImage& shown() const { return shown_; }
    // Move mode: drags and arrow keys move the current frame's image.
    void set_move_mode(bool on);
    bool move_mode() const { return moveMode_; }
    // Moves the current frame's image by (dx, dy); a run of such moves of one image is one
    // step.
    void nudge(int dx, int dy);
    // Ctrl+C, Ctrl+V: the current frame's left and top through the clipboard.
    void copy_place();
    void paste_place(bool x, bool y);

    // Milliseconds until the next frame while playing.
    int frame_interval() const;
    QString status_text() const;

    PlayerView* view;
    QPushButton* playButton;
    QCheckBox* loopBox;
    QSpinBox* fpsBox;
    QCheckBox* frameValueBox;
    QSlider* slider;
    QLabel* frameLabel;
    QSpinBox* zoomBox;
    QPushButton* fitButton;
    QComboBox* backgroundBox;
    QComboBox* paletteBox;
    QCheckBox* boxOutline;
    QCheckBox* placeByBox;
    QCheckBox* crosshairBox;
    QCheckBox* baselineBox;
    QSpinBox* baselineRow;
    QPushButton* pinButton;
    QPushButton* moveButton;
    QCheckBox* onionPrevious;
    QCheckBox* onionNext;
    QSpinBox* onionOpacity;
    QLabel* statusLine;
    QPushButton* exportButton;

  signals:
    // A frame was put on show (its view repaints at the next paint).
    void frame_shown(int frame);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The keys of Move mode, copy and paste, undo and redo; false for any other.
    bool move_key(QKeyEvent* event);
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void build();
    // The image of frame `frame` of what is shown (the sequence, or the selected image).
    FrameImage image_of_frame(int frame) const;
    // The image's layer, at its place in the frame when drawing by box.
    Layer layer_of(const FrameImage& image) const;
    bool by_box() const;
    // The drawing area of these frames: their union placed by box, or the largest image.
    Area content_area(const std::vector<FrameImage>& frames) const;
    // The overlays and the reference frame of the scene, as the controls set them.
    void place_overlays(FrameScene& scene);
    // Pins the frame shown as the reference, or unpins it.
    void pin_reference(bool pinned);
    // The current frame's image and box, and the place a step moving it shows.
    std::optional<BoundingBox> shown_box() const;
    Place shown_place() const;
    // Moves the current frame's image to `to`, as a new step or, given `open` still the
    // newest step, within it; returns the step moving the image now.
    MoveImageStep* move_to(const BoundingBox& to, MoveImageStep* open);
    void drag_pressed(QPoint framePixel);
    void drag_moved(QPoint framePixel);
    // The drag's line in the status: the box's left and top and the move so far.
    QString drag_status() const;
    // Sets the view's scene, the slider and the status from the current frame.
    void show_frame();
    void tick();
    // Starts the timer for the next frame; `fromNow` starts counting afresh.
    void schedule_tick(bool fromNow);
    void update_status();
    void choose_background(int index);

    TForm1& form_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 due_ = 0;  // when the next frame is due, in ms of clock_
    bool playing_ = false;
    int sequence_ = -1;  // -1: the selected image is shown
    int collection_ = -1;
    int collectionFrame_ = -1;
    int direction_ = 0;
    int frame_ = 0;
    int frameCount_ = 0;
    int listFrame_ = -1;  // the main window's sequence frame when last followed
    FrameImage shown_;
    Background background_;
    std::optional<QPoint> hovered_;  // the cursor's point in the view
    bool placed_ = false;
    // The reference frame: a sequence's frame in a direction, or (sequence -1) an image.
    struct Pinned {
        int sequence = -1;
        int collection = -1;
        int collectionFrame = -1;
        int direction = 0;
        int frame = 0;
    };
    std::optional<Pinned> pinned_;
    bool moveMode_ = false;
    // The step of the arrow keys' run of moves, while it goes on.
    MoveImageStep* nudged_ = nullptr;
    struct Drag {
        QPoint from;  // the frame pixel pressed
        QPoint move;
        MoveImageStep* step = nullptr;
    };
    std::optional<Drag> drag_;
    QString lastExport_;  // offered again by the next export
};

}  // namespace dabro
