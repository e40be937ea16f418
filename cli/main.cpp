// dabro-cli: hands the command line to run_cli with the process's standard streams.
#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int code = dabro::cli::run_cli(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    return code;
}
