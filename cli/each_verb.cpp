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

#include "cli/cli_support.h"
#include "cli/each_items.h"
#include "document/file_layer.h"
#include "document/name_text.h"
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
    std::string out;  // until printed
    std::string err;
    std::string message;  // for the report
    double ms = 0;
};

Status read_options(const Arguments& a, EachOptions& o) {
    o.failFast = a.flags.count("--fail-fast") != 0;
    o.unpacked = a.flags.count("--unpacked") != 0;
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

// Refuses, before anything runs, an output that two writers would write, or that lies in
// another's output folder. The writers are the runs and, last, the report.
Status check_outputs(const std::vector<Run>& runs, const std::vector<EachItem>& items,
                     const std::string& report) {
    std::map<fs::path, std::size_t> writer;
    const auto label = [&](std::size_t k) {
        return k < runs.size() ? runs[k].args[0] + " of " + items[k].path
                               : std::string("the report");
    };
    const auto key = [](const std::string& path) {
        std::error_code ec;
        const fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
        return p.has_filename() ? p : p.parent_path();  // "w/hero/" is "w/hero"
    };
    for (std::size_t k = 0; k <= runs.size(); ++k) {
        std::vector<std::string> outputs;
        if (k < runs.size()) outputs = run_outputs(runs[k].args);
        if (k == runs.size() && !report.empty()) outputs.push_back(report);
        for (const std::string& o : outputs) {
            auto [it, fresh] = writer.emplace(key(o), k);
            if (!fresh && it->second != k)
                return Status::failure(o + " would be written twice: by " + label(it->second) +
                                       " and by " + label(k));
        }
    }
    for (const auto& [path, k] : writer) {
        for (fs::path up = path.parent_path(); up != up.parent_path(); up = up.parent_path()) {
            const auto outer = writer.find(up);
            if (outer != writer.end() && outer->second != k)
                return Status::failure(path.string() + ", written by " + label(k) +
                                       ", lies inside " + up.string() + ", written by " +
                                       label(outer->second));
        }
    }
    if (report.empty()) return Status::success();
    for (const EachItem& item : items)
        if (same_file(report, item.path))
            return Status::failure(report + " is the same file as the input " + item.path +
                                   "; choose another report");
    return Status::success();
}

// The report's folder is checked before anything runs.
Status check_report_folder(const std::string& report) {
    std::error_code ec;
    if (fs::is_directory(report, ec))
        return Status::failure(report + " is a folder; give the report a file name");
    const fs::path folder = fs::path(report).parent_path();
    if (folder.empty() || fs::is_directory(folder, ec)) return Status::success();
    return Status::file_error(ErrorCode::FileNotFound).about_folder(folder.string() + "/");
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
    nlohmann::ordered_json command = nlohmann::ordered_json::array();
    for (const std::string& arg : o.command) command.push_back(utf8_for_json(arg));
    nlohmann::ordered_json report = {{"command", std::move(command)}, {"jobs", jobs}};
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    int succeeded = 0;
    int failed = 0;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        if (!runs[k].done) continue;
        (runs[k].exit == 0 ? succeeded : failed) += 1;
        list.push_back({{"input", utf8_for_json(items[k].path)},
                        {"exit", runs[k].exit},
                        {"message", utf8_for_json(runs[k].message)},
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
    std::vector<std::string> unreadable;
    if (Status s = find_each_items(o.inputs, o.unpacked, items, unreadable); !s.ok()) return s;
    for (const std::string& folder : unreadable) err << failure_text(folder) << '\n';
    if (items.empty() && !unreadable.empty()) return 1;
    if (items.empty())
        return Status::failure(o.unpacked ? "No unpacked sprite folders found"
                                          : "No .spr files found");
    if (!o.report.empty())
        if (Status s = check_report_folder(o.report); !s.ok()) return s;
    std::vector<Run> runs(items.size());
    for (std::size_t k = 0; k < items.size(); ++k)
        runs[k].args = expand_placeholders(o.command, items[k]);
    if (Status s = check_outputs(runs, items, o.report); !s.ok()) return s;

    const unsigned jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    bool stop = false;
    std::vector<std::size_t> finishedOrder;
    std::size_t workersLeft = 0;
    // Each run's output is printed whole and in item order, under the lock, by the thread
    // that finishes the next run due, and let go once printed: only the runs in flight and
    // those waiting for their turn hold theirs.
    std::size_t printed = 0;
    auto print = [&](Run& run) {
        out << run.out << std::flush;
        err << run.err << std::flush;
        std::string().swap(run.out);
        std::string().swap(run.err);
    };
    auto print_done = [&] {
        for (; printed < runs.size() && runs[printed].done; ++printed) print(runs[printed]);
    };
    auto worker = [&] {
        for (;;) {
            std::size_t k = 0;
            {
                std::lock_guard lock(mutex);
                if (stop || stop_requested() || next >= runs.size()) break;
                k = next++;
            }
            Run& run = runs[k];
            std::ostringstream runOut;
            std::ostringstream runErr;
            const auto start = std::chrono::steady_clock::now();
            int code = 1;
            {
                const ScopedFolderMaking folders;  // for the names the verb writes in the end
                code = env.run(run.args, runOut, runErr);
            }
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            std::lock_guard lock(mutex);
            run.exit = code;
            run.out = runOut.str();
            run.err = runErr.str();
            if (!o.report.empty()) {
                run.message = last_line(run.err);
                if (run.message.empty()) run.message = last_line(run.out);
            }
            run.ms = took.count();
            run.done = true;
            finishedOrder.push_back(k);
            print_done();
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

    // The progress is printed on this thread as runs finish.
    std::size_t reported = 0;
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return finishedOrder.size() > reported || workersLeft == 0; });
            for (; reported < finishedOrder.size(); ++reported)
                if (o.progress)
                    err << '[' << reported + 1 << '/' << runs.size() << "] "
                        << items[finishedOrder[reported]].path << '\n';
            if (workersLeft == 0) break;
        }
    }
    for (std::thread& t : pool) t.join();
    const std::size_t finished = finishedOrder.size();
    for (; printed < runs.size(); ++printed)  // after --fail-fast, the runs that did finish
        if (runs[printed].done) print(runs[printed]);
    const auto failed =
        std::count_if(runs.begin(), runs.end(), [](const Run& r) { return r.done && r.exit != 0; });
    if (finished < runs.size() && !stop_requested())
        err << "each: stopped after the first failure; " << runs.size() - finished << " of "
            << runs.size() << " runs did not start\n";
    if (!o.report.empty()) {
        if (Status s = write_report(o, jobs, runs, items); !s.ok())
            return Status::failure(o.report + ": " + s.message());
    }
    return failed == 0 && finished == runs.size() && unreadable.empty() ? 0 : 1;
}

}  // namespace dabro::cli
