// The player's "Export animation…": what the player shows, written by the animate command.
#include "actions/animate.h"
#include "ui/Unit1.h"
#include "ui/player_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

namespace dabro {

void PlayerWindow::export_animation() {
    UserPrompts& prompts = form_.prompts();
    if (sequence_ < 0) {
        prompts.show_error(QStringLiteral("Select a sequence to export its animation."));
        return;
    }
    FileRequest request = file_request(FileDialog::ExportAnimationDialog);
    request.lastPath = lastExport_;
    const std::optional<QString> chosen = prompts.choose_file(request);
    if (!chosen) return;
    lastExport_ = *chosen;

    AnimateOptions options;
    options.sequence = sequence_;
    options.direction = direction_;
    options.palette = std::max(paletteBox->currentIndex(), 0);
    options.scale = view->zoom();
    options.placement = placeByBox->isChecked() ? Placement::Box : Placement::Corner;
    options.fps = fpsBox->value();
    options.frameValueMs = frameValueBox->isChecked();
    // The checkerboard stands for transparency, and stays transparent in the file.
    if (background_.kind != Backdrop::Checkerboard)
        options.background =
            background_.kind == Backdrop::Colour ? background_.colour : kGreyColour;
    options.output = local_path(*chosen);
    // One animation: a name holding braces is taken as it stands, not as a pattern.
    options.outputAsItStands = true;

    AnimationPlan plan;
    std::vector<std::string> written;
    const QString label = QStringLiteral("Exporting the animation");
    const Status s = animate(form_.session().document, options, plan, written,
                             [&](std::int64_t done, std::int64_t total) {
                                 return prompts.show_progress(label, done, total);
                             });
    prompts.end_progress();
    if (s.is_cancelled()) return;
    if (!s.ok()) {
        prompts.show_error(QString::fromStdString(failure_text(s.message())));
        return;
    }
    statusLine->setText(QStringLiteral("Animation exported"));
}

}  // namespace dabro
