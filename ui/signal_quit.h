// SIGTERM and SIGINT brought into the event loop, where the window can end in order.
#pragma once

#include <QObject>
#include <functional>

namespace dabro {

// Runs `handler` in the event loop when the process receives SIGTERM (a desktop's logout) or
// SIGINT (Ctrl+C in a terminal), for as long as `context` lives; then the signals end the
// process as they did before.
void on_quit_signals(QObject* context, std::function<void()> handler);

}  // namespace dabro
