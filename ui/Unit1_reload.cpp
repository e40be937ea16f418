// The open file watched on disk: a change behind the window reloads it, or asks when unsaved.
#include <QFile>
#include <QLineEdit>
#include <iterator>

#include "ui/Unit1.h"
#include "ui/external_edit.h"
#include "ui/file_watch.h"

namespace dabro {

namespace {

constexpr int kOpenFile = 0;

}  // namespace

bool TForm1::has_unsaved_edits() const {
    const auto* field = qobject_cast<const QLineEdit*>(focusWidget());
    return is_modified() || (field != nullptr && field->isModified());
}

void TForm1::watch_open_file() {
    if (diskWatch_ == nullptr) {
        diskWatch_ = new FileWatch(ExternalEdit::kSettleMs, this);
        connect(diskWatch_, &FileWatch::changed, this, [this] { open_file_changed(); });
        connect(diskWatch_, &FileWatch::missing, this, [this](int, const QString& file) {
            set_status(QStringLiteral("Removed on disk: %1").arg(file));
        });
    }
    diskWatch_->forget_all();
    diskDiffers_ = false;
    if (!session_.currentFileName.empty())
        diskWatch_->watch(kOpenFile,
                          {QFile::decodeName(QByteArray::fromStdString(session_.currentFileName))});
}

void TForm1::stop_watching_open_file() {
    if (diskWatch_ != nullptr) diskWatch_->forget_all();
    diskDiffers_ = false;
}

void TForm1::open_file_saved() {
    if (diskWatch_ != nullptr) diskWatch_->accept_current(kOpenFile);
    diskDiffers_ = false;
}

void TForm1::open_file_changed() {
    // A change that comes while the question is open is read by the answer's reload.
    if (askingReload_) return;
    if (has_unsaved_edits()) {
        askingReload_ = true;
        const ReloadChoice choice = prompts_->ask_reload(
            QFile::decodeName(QByteArray::fromStdString(session_.currentFileName)));
        askingReload_ = false;
        if (choice == ReloadChoice::Keep) {
            // The window's sprite is no longer the file's, whatever the history says.
            diskDiffers_ = true;
            document_state_changed();
            set_status(QStringLiteral("Kept the window's sprite: the file changed on disk"));
            return;
        }
    }
    reload_keeping_selection();
}

// The lists' rows are chosen again from the top, each where the reloaded sprite still has
// it, and clicked, so each level refreshes as it does for the user's click.
void TForm1::reload_keeping_selection() {
    struct Level {
        ListBox* list;
        void (TForm1::*click)(QObject*);
        int row;
    };
    Level levels[] = {{ListBox1, &TForm1::ListBox1Click, -1},
                      {ListBox2, &TForm1::ListBox2Click, -1},
                      {ListBox3, &TForm1::ListBox3Click, -1},
                      {ListBox4, &TForm1::ListBox4Click, -1},
                      {ListBox5, &TForm1::ListBox5Click, -1}};
    for (Level& level : levels) level.row = level.list->item_index();
    // A field's edit not yet committed belongs to the sprite being replaced.
    if (auto* field = qobject_cast<QLineEdit*>(focusWidget())) field->setModified(false);
    // A file that does not read (one still being written) leaves the window's sprite as it
    // is and says so where it disturbs nobody; the next change of the file is tried again.
    Status failure;
    if (!load_file(session_.currentFileName, &failure)) {
        set_status(QStringLiteral("Reload of %1 failed: %2")
                       .arg(QFile::decodeName(QByteArray::fromStdString(session_.currentFileName)),
                            QString::fromStdString(failure_text(failure.message()))));
        return;
    }
    for (const Level& level : levels) {
        if (level.row < 0 || level.row >= level.list->count()) continue;
        level.list->set_item_index(level.row);
        (this->*level.click)(level.list);
    }
    set_status(QStringLiteral("Reloaded: changed on disk"));
}

}  // namespace dabro
