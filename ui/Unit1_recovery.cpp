// The window's end on SIGTERM or SIGINT, and the recovery copies it offers at the next start.
#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

#include "ui/Unit1.h"
#include "ui/external_edit.h"
#include "ui/recovery.h"

namespace dabro {

namespace {

// While the session ends, nothing may wait for an answer: every question goes unanswered.
class SilentPrompts : public UserPrompts {
  public:
    std::optional<QString> choose_file(const FileRequest&) override { return std::nullopt; }
    void show_error(const QString&) override {}
    void show_about(const QString&, const QString&) override {}
    SaveChoice ask_save_changes(const QString&) override { return SaveChoice::Discard; }
    std::optional<int> choose_item(const ItemRequest&) override { return std::nullopt; }
};

}  // namespace

void TForm1::end_on_signal() {
    SilentPrompts silent;
    UserPrompts* const shown = std::exchange(prompts_, &silent);
    if (has_unsaved_edits()) {
        // An edit still in a field is part of the work; one that does not convert is left out.
        commit_focused_field();
        HeaderValues header = header_of(doc());
        header_from_fields(header);
        std::string written;
        const Status s = write_recovery_copy(doc(), header, session_.currentFileName, written);
        if (!s.ok()) qWarning("No recovery copy: %s", failure_text(s.message()).c_str());
    }
    prompts_ = shown;
    emit documentReplaced();
    stop_watching_open_file();
    hide();
    QCoreApplication::quit();
}

void TForm1::recover_at_start() {
    remove_stale_work_folders();
    const std::vector<RecoveryCopy> copies = recovery_copies();
    if (copies.empty()) return;
    ItemRequest request{QStringLiteral("Recover unsaved work"),
                        QStringLiteral("Dabro was ended with changes not saved. Open the copy "
                                       "kept of one, or discard the copies:"),
                        {}};
    for (const RecoveryCopy& copy : copies)
        request.items << (copy.source.isEmpty()
                              ? QStringLiteral("A sprite never saved (%1)").arg(copy.path)
                              : copy.source);
    request.items << QStringLiteral("Discard the copies");
    const std::optional<int> chosen = prompts_->choose_item(request);
    // Unanswered, the copies wait for the next start.
    if (!chosen || *chosen < 0) return;
    if (static_cast<std::size_t>(*chosen) >= copies.size()) {
        for (const RecoveryCopy& copy : copies) remove_recovery_copy(copy.path);
        set_status(QStringLiteral("Recovery copies discarded"));
        return;
    }
    const RecoveryCopy& copy = copies[static_cast<std::size_t>(*chosen)];
    if (!open_file(local_path(copy.path))) return;
    // The sprite stands for its own file again, with the changes not yet saved there; the
    // save that stores them removes the copy (save_to).
    session_.currentFileName = local_path(copy.source);
    watch_open_file();
    diskDiffers_ = true;
    setProperty(kRecoveryCopyProperty, copy.path);
    set_caption_from_file_name();
    document_state_changed();
    set_status(QStringLiteral("Recovered: save to keep the changes"));
}

}  // namespace dabro
