// dabro-cli: hands the command line to run_cli with the process's standard streams.
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "document/atomic_save.h"

namespace {

volatile sig_atomic_t stopSignal = 0;

// The first Ctrl+C (or SIGTERM) asks the work under way to stop and clean up; a second one
// ends the process at once.
extern "C" void stop_on_signal(int signal) {
    stopSignal = signal;
    dabro::request_stop();
}

}  // namespace

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    struct sigaction action {};
    action.sa_handler = stop_on_signal;
    action.sa_flags = SA_RESETHAND;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int code = dabro::cli::run_cli(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    // Stopped: the process ends by the signal, as it would have without the clean-up.
    if (stopSignal != 0) ::raise(stopSignal);
    return code;
}
