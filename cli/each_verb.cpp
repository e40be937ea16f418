// `dabro-cli each`: one verb over a whole tree of sprites, in this process, on worker threads.
#include "cli/each_verb.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/each_items.h"
#include "document/file_layer.h"
#include "document/status.h"
#include "document/text_to_int.h"

namespace dabro::cli {

namespace fs = std::filesystem;

namespace {

struct EachOptions {
    unsigned jobs = 0;
    bool failFast = false;
    bool unpacked = false;
    bool progress = false;
    std::string report;
    std::vector<std::string> inputs;
    std::vector<std::string> command;  // the verb and its arguments, as given
};

struct Run {
    std::vector<std::string> args;
    bool done = false;
    int exit = 0;
    std::string out;
    std::string err;
    double ms = 0;
};

Status read_options(const Arguments& a, EachOptions& o) {
    o.failFast = a.flags.count("--fail-fast") != 0;
    o.unpacked = a.flags.count("--unpacked") != 0;
    if (a.flags.count("--progress") && a.flags.count("--no-progress"))
        return Status::failure("Give --progress or --no-progress, not both");
    if (a.flags.count("--progress")) o.progress = true;
    if (a.flags.count("--no-progress")) o.progress = false;
    if (a.has("--report")) o.report = a.value("--report");
    if (a.has("-j")) {
        const std::optional<std::int32_t> jobs = text_to_int(a.value("-j"));
        if (!jobs || *jobs < 1 || *jobs > 256)
            return Status::failure("-j takes a number of jobs from 1 to 256, not '" +
                                   a.value("-j") + "'");
        o.jobs = static_cast<unsigned>(*jobs);
    }
    o.inputs = a.operands;
    o.command = a.rest;
    if (o.command.empty())
        return Status::failure("Give the command to run after --, as in: each DIR -- dump {}");
    return Status::success();
}

// Refuses, before anything runs, an output that two runs would write.
Status check_outputs(const std::vector<Run>& runs) {
    std::map<std::string, std::size_t> writer;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        for (const std::string& o : outputs_of(runs[k].args)) {
            std::error_code ec;
            const std::string key = fs::weakly_canonical(fs::absolute(o, ec), ec).string();
            auto [it, fresh] = writer.emplace(key, k);
            if (!fresh && it->second != k)
                return Status::failure(
                    o + " would be written by two runs: " + runs[it->second].args[0] +
                    " of the items " + std::to_string(it->second + 1) + " and " +
                    std::to_string(k + 1));
        }
    }
    return Status::success();
}

// Creates the missing folders above each output of a run.
Status make_output_folders(const std::vector<std::string>& args) {
    for (const std::string& o : outputs_of(args)) {
        const fs::path parent = fs::path(o).parent_path();
        std::error_code ec;
        if (parent.empty() || fs::is_directory(parent, ec)) continue;
        if (!fs::create_directories(parent, ec) && ec)
            return Status::failure(parent.string() + "/: " + ec.message());
    }
    return Status::success();
}

std::string last_line(const std::string& text) {
    std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return "";
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

Status write_report(const EachOptions& o, unsigned jobs, const std::vector<Run>& runs,
                    const std::vector<EachItem>& items) {
    nlohmann::ordered_json report = {{"command", o.command}, {"jobs", jobs}};
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    int succeeded = 0;
    int failed = 0;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        if (!runs[k].done) continue;
        (runs[k].exit == 0 ? succeeded : failed) += 1;
        list.push_back({{"input", items[k].path},
                        {"exit", runs[k].exit},
                        {"message", last_line(runs[k].err)},
                        {"ms", static_cast<std::int64_t>(runs[k].ms + 0.5)}});
    }
    report["succeeded"] = succeeded;
    report["failed"] = failed;
    report["runs"] = std::move(list);
    const std::string text = report.dump(2) + "\n";
    return write_file_atomically(o.report,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace

Outcome run_each(const Arguments& a, std::ostream& out, std::ostream& err,
                 const EachEnvironment& env) {
    EachOptions o;
    o.progress = env.progressByDefault;
    if (Status s = read_options(a, o); !s.ok()) return s;
    const std::string& verb = o.command.front();
    if (!env.runsOneFile(verb))
        return Status::failure(verb + " is not a command each can run; see dabro-cli --help");
    std::vector<EachItem> items;
    if (Status s = find_each_items(o.inputs, o.unpacked, items); !s.ok()) return s;
    if (items.empty())
        return Status::failure(o.unpacked ? "No unpacked sprite folders found"
                                          : "No .spr files found");
    std::vector<Run> runs(items.size());
    for (std::size_t k = 0; k < items.size(); ++k)
        runs[k].args = expand_placeholders(o.command, items[k]);
    if (Status s = check_outputs(runs); !s.ok()) return s;

    const unsigned jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    bool stop = false;
    std::vector<std::size_t> finishedOrder;
    std::size_t workersLeft = 0;
    auto worker = [&] {
        for (;;) {
            std::size_t k = 0;
            {
                std::lock_guard lock(mutex);
                if (stop || next >= runs.size()) break;
                k = next++;
            }
            Run& run = runs[k];
            std::ostringstream runOut;
            std::ostringstream runErr;
            const auto start = std::chrono::steady_clock::now();
            int code = 1;
            if (Status s = make_output_folders(run.args); !s.ok()) {
                runErr << failure_text(s.message()) << '\n';
            } else {
                code = env.run(run.args, runOut, runErr);
            }
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            std::lock_guard lock(mutex);
            run.exit = code;
            run.out = runOut.str();
            run.err = runErr.str();
            run.ms = took.count();
            run.done = true;
            finishedOrder.push_back(k);
            if (code != 0 && o.failFast) stop = true;
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        --workersLeft;
        changed.notify_all();
    };
    std::vector<std::thread> pool;
    {
        std::lock_guard lock(mutex);
        workersLeft = std::min<std::size_t>(jobs, runs.size());
    }
    for (unsigned t = 0; t < std::min<std::size_t>(jobs, runs.size()); ++t) {
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            std::lock_guard lock(mutex);
            workersLeft = pool.size() + 1;  // the caller's thread works too
            break;
        }
    }
    if (pool.size() < std::min<std::size_t>(jobs, runs.size())) worker();

    // Everything is printed here, on this thread: each run's output whole and in item order,
    // and the progress as runs finish.
    std::size_t printed = 0;
    std::size_t reported = 0;
    auto print_done = [&] {
        for (; printed < runs.size() && runs[printed].done; ++printed) {
            out << runs[printed].out << std::flush;
            err << runs[printed].err << std::flush;
        }
    };
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return finishedOrder.size() > reported || workersLeft == 0; });
            for (; reported < finishedOrder.size(); ++reported)
                if (o.progress)
                    err << '[' << reported + 1 << '/' << runs.size() << "] "
                        << items[finishedOrder[reported]].path << '\n';
            print_done();
            if (workersLeft == 0) break;
        }
    }
    for (std::thread& t : pool) t.join();
    const std::size_t finished = finishedOrder.size();
    for (; printed < runs.size(); ++printed) {  // after --fail-fast, the runs that did finish
        if (!runs[printed].done) continue;
        out << runs[printed].out;
        err << runs[printed].err;
    }
    const auto failed =
        std::count_if(runs.begin(), runs.end(), [](const Run& r) { return r.done && r.exit != 0; });
    if (finished < runs.size())
        err << "each: stopped after the first failure; " << runs.size() - finished << " of "
            << runs.size() << " runs did not start\n";
    if (!o.report.empty()) {
        if (Status s = write_report(o, jobs, runs, items); !s.ok())
            return Status::failure(o.report + ": " + s.message());
    }
    return failed == 0 && finished == runs.size() ? 0 : 1;
}

}  // namespace dabro::cli
