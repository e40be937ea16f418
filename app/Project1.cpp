// The editor's main(): the command line, the display check, then the window.
#include <QApplication>
#include <QIcon>
#include <optional>

#include "ui/Unit1.h"
#include "ui/app_info.h"
#include "ui/display_check.h"
#include "ui/signal_quit.h"

int main(int argc, char* argv[]) {
    // Help and version are answered before the window system is reached: they need no display.
    const QStringList arguments = dabro::command_line_arguments(argc, argv);
    const dabro::CommandLine early = dabro::read_command_line(arguments);
    if (early.action != dabro::CommandLine::Action::Fail)
        if (const auto code = dabro::answer_command_line(early)) return *code;
    // Without a display Qt would abort with a core dump.
    if (const auto reason = dabro::missing_display(arguments))
        return dabro::report_no_display(*reason);

    std::optional<dabro::DisplayStartScope> starting(std::in_place);
    QApplication application(argc, argv);
    starting.reset();
    // Only the name: a display name would also be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("Dabro"));
    QApplication::setApplicationVersion(dabro::application_version());
    // The installed desktop entry and icon, so the desktop shows them for this window.
    QGuiApplication::setDesktopFileName(QStringLiteral("dabro"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("dabro")));

    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const dabro::CommandLine line = dabro::read_command_line(QApplication::arguments());
    if (const auto code = dabro::answer_command_line(line)) return *code;
    dabro::TForm1 form;
    // A desktop's logout and Ctrl+C end the window in order, its unsaved work kept.
    dabro::on_quit_signals(&form, [&form] { form.end_on_signal(); });
    form.show();
    form.recover_at_start();
    // The file named on the command line, as the desktop entry passes the one opened from the
    // file manager. One that cannot be opened shows its message over the empty editor.
    if (!line.files.isEmpty()) form.open_file(dabro::local_path(line.files.first()));
    return QApplication::exec();
}
