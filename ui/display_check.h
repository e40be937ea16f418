// Finding out that there is no display before Qt would abort.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace dabro {

// Finding out, before and while Qt starts its window system, that there is no display to show
// the window on, so that the editor can say so in one line instead of aborting.

// Why the window plainly cannot be shown: no platform chosen (QT_QPA_PLATFORM or -platform)
// and neither DISPLAY nor WAYLAND_DISPLAY set. Nothing when it may be shown.
std::optional<QString> missing_display(const QStringList& arguments);

// Prints "no display: " and the first line of `reason` to standard error; returns the exit
// status, 1.
int report_no_display(const QString& reason);

// Holds Qt's messages while the application object is built. When Qt cannot start its window
// system there, it ends the process with a fatal message and a core dump; within the scope the
// process prints "no display: " and the first message Qt gave, and exits with status 1
// instead. The messages held are passed on when the scope ends.
class DisplayStartScope {
  public:
    DisplayStartScope();
    ~DisplayStartScope();
    DisplayStartScope(const DisplayStartScope&) = delete;
    DisplayStartScope& operator=(const DisplayStartScope&) = delete;
};

}  // namespace dabro
