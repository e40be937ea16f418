// SIGTERM and SIGINT through a socket pair: the handler only writes a byte, the loop reads it.
#include "ui/signal_quit.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace dabro {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
int pipeEnds[2] = {-1, -1};  // [0] written by the handler, [1] read by the loop

extern "C" void write_signal_byte(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

void set_handlers(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) sigaction(s, &action, nullptr);
}

}  // namespace

void on_quit_signals(QObject* context, std::function<void()> handler) {
    if (pipeEnds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler] {
        char byte = 0;
        if (::read(pipeEnds[1], &byte, 1) == 1) handler();
    });
    QObject::connect(notifier, &QObject::destroyed, [] { set_handlers(SIG_DFL); });
    set_handlers(write_signal_byte);
}

}  // namespace dabro
