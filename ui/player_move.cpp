// The player's Move mode: dragging and nudging the current frame's image, copy and paste of
// its place, each move one step of the main window's history.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "actions/player_move.h"
#include "ui/Unit1.h"
#include "ui/player_window.h"

namespace dabro {

std::optional<BoundingBox> PlayerWindow::shown_box() const {
    if (!shown_.found()) return std::nullopt;
    return form_.session()
        .document.collections[static_cast<std::size_t>(shown_.collection)]
        .boxes[static_cast<std::size_t>(shown_.slot)];
}

Place PlayerWindow::shown_place() const {
    Place place{.collection = shown_.collection, .slot = shown_.slot};
    if (sequence_ >= 0) {
        place.sequence = sequence_;
        place.frame = frame_;
    }
    return place;
}

MoveImageStep* PlayerWindow::move_to(const BoundingBox& to, MoveImageStep* open) {
    pause();
    const History& history = form_.history();
    // The open step goes on only while it is the newest and nothing saved the document since.
    if (open != nullptr && history.next_undo() == open && !history.at_clean() &&
        open->image().collection == shown_.collection && open->image().slot == shown_.slot) {
        open->move_applied(form_.session().document, to);
        form_.run_beside(nullptr);
        return open;
    }
    const std::optional<BoundingBox> box = shown_box();
    if (!box) return nullptr;
    auto step = std::make_unique<MoveImageStep>("Move image", shown_place(), *box);
    step->set_to(to);
    MoveImageStep* made = step.get();
    return form_.run_beside(std::move(step)) ? made : nullptr;
}

void PlayerWindow::set_move_mode(bool on) {
    moveMode_ = on;
    nudged_ = nullptr;
    drag_.reset();
    view->set_move_mode(on);
    {
        const QSignalBlocker block(moveButton);
        moveButton->setChecked(on);
    }
    if (!on) return;
    pause();
    placeByBox->setChecked(true);
}

void PlayerWindow::nudge(int dx, int dy) {
    const std::optional<BoundingBox> box = shown_box();
    if (!box) return;
    if (const auto to = shifted_box(*box, dx, dy)) nudged_ = move_to(*to, nudged_);
}

void PlayerWindow::drag_pressed(QPoint framePixel) {
    pause();
    nudged_ = nullptr;
    drag_ = Drag{framePixel, {}, nullptr};
}

void PlayerWindow::drag_moved(QPoint framePixel) {
    if (!drag_) return;
    const QPoint move = framePixel - drag_->from;
    if (move == drag_->move) return;
    // The whole move from where the drag started, never the sum of the mouse's steps.
    const std::optional<BoundingBox> box =
        drag_->step != nullptr ? std::optional<BoundingBox>(drag_->step->from()) : shown_box();
    const auto to = box ? shifted_box(*box, move.x(), move.y()) : std::nullopt;
    if (!to) return;
    drag_->move = move;
    drag_->step = move_to(*to, drag_->step);
    update_status();
}

QString PlayerWindow::drag_status() const {
    const std::optional<BoundingBox> box = shown_box();
    if (!drag_ || !box) return {};
    return QStringLiteral("Box left %1, top %2 | moved %3, %4")
        .arg(box->left)
        .arg(box->top)
        .arg(drag_->move.x())
        .arg(drag_->move.y());
}

void PlayerWindow::copy_place() {
    if (const std::optional<BoundingBox> box = shown_box())
        QApplication::clipboard()->setText(QStringLiteral("%1,%2").arg(box->left).arg(box->top));
}

void PlayerWindow::paste_place(bool x, bool y) {
    const QStringList parts = QApplication::clipboard()->text().trimmed().split(QLatin1Char(','));
    bool okX = false;
    bool okY = false;
    const qint64 left = parts.size() == 2 ? parts[0].trimmed().toLongLong(&okX) : 0;
    const qint64 top = parts.size() == 2 ? parts[1].trimmed().toLongLong(&okY) : 0;
    const std::optional<BoundingBox> box = shown_box();
    if (!box || !okX || !okY) return;
    const auto to = shifted_box(*box, x ? left - box->left : 0, y ? top - box->top : 0);
    if (!to) return;
    nudged_ = nullptr;
    auto step = std::make_unique<MoveImageStep>("Paste placement", shown_place(), *box);
    step->set_to(*to);
    pause();
    form_.run_beside(std::move(step));
}

bool PlayerWindow::move_key(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const int key = event->key();
    if (ctrl && key == Qt::Key_Z && !(mods & Qt::ShiftModifier)) {
        form_.Undo1Click();
    } else if (ctrl && (key == Qt::Key_Y || key == Qt::Key_Z)) {
        form_.Redo1Click();
    } else if (ctrl && key == Qt::Key_C) {
        copy_place();
    } else if (ctrl && key == Qt::Key_V) {
        paste_place(!(mods & Qt::AltModifier), !(mods & Qt::ShiftModifier));
    } else if (key == Qt::Key_M && mods == Qt::NoModifier) {
        set_move_mode(!moveMode_);
    } else if (key == Qt::Key_Escape && drag_) {
        // The image goes back where the drag started.
        if (drag_->step != nullptr && form_.history().next_undo() == drag_->step)
            form_.Undo1Click();
        drag_.reset();
        view->end_move_drag();
        update_status();
    } else if (moveMode_ && (key == Qt::Key_Comma || key == Qt::Key_Period)) {
        step(key == Qt::Key_Comma ? -1 : 1);
    } else if (moveMode_ && key >= Qt::Key_Left && key <= Qt::Key_Down) {
        const int by = (mods & Qt::ShiftModifier) ? 8 : 1;
        const int dx = key == Qt::Key_Left ? -by : key == Qt::Key_Right ? by : 0;
        const int dy = key == Qt::Key_Up ? -by : key == Qt::Key_Down ? by : 0;
        nudge(dx, dy);
    } else {
        return false;
    }
    event->accept();
    return true;
}

}  // namespace dabro
