// The files the benchmarks share: written once, checked to round-trip, deleted at exit.
#include "bench/bench_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "bench/large_documents.h"
#include "document/file_layer.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "support/memory_files.h"

namespace dabro::bench {

namespace {

constexpr std::uintmax_t kLargeFileMinimum = 100u * 1000u * 1000u;

std::string& folder_name() {
    static std::string folder;
    return folder;
}

// Writes the document with the saver and proves the file is what the benchmarks assume: it
// loads as a readable sprite and encodes back to the very same bytes.
std::string write_checked(const LargeShape& shape, const std::string& name) {
    const std::string path = bench_path(name);
    {
        const auto doc = make_large_document(shape);
        if (Status s = save_sprite(path, *doc, header_of(*doc)); !s.ok())
            setup_failed("saving " + path + ": " + s.message());
    }
    std::vector<std::uint8_t> bytes;
    if (Status s = read_whole_file(path, bytes); !s.ok())
        setup_failed("reading back " + path + ": " + s.message());
    const auto session = make_session();
    LoadReport report;
    if (Status s = load_sprite(path, *session, &report); !s.ok())
        setup_failed("the generated file " + path + " does not load: " + s.message());
    if (!report.isSprite || !session->imagesReadable ||
        session->document.collectionCount != static_cast<int>(shape.collections.size()))
        setup_failed("the generated file " + path +
                     " loads, but not as the document it was made from");
    std::vector<std::uint8_t> again;
    if (Status s = encode_sprite(session->document, header_of(session->document), again); !s.ok())
        setup_failed("encoding the loaded " + path + ": " + s.message());
    if (again != bytes)
        setup_failed("the loaded " + path + " does not save back to the same bytes");
    return path;
}

}  // namespace

void setup_failed(const std::string& what) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what.c_str());
    std::exit(1);
}

const std::string& bench_folder() {
    std::string& folder = folder_name();
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dabro-bench.XXXXXX";
        if (!::mkdtemp(pattern.data())) setup_failed("cannot create a folder from " + pattern);
        folder = pattern;
        std::atexit(remove_bench_files);
    }
    return folder;
}

std::string bench_path(const std::string& name) {
    return bench_folder() + "/" + name;
}

void remove_bench_files() {
    std::string& folder = folder_name();
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    folder.clear();
}

const std::string& max_document_file() {
    static const std::string path = [] {
        std::string p = write_checked(max_document_shape(), "max.spr");
        const std::uintmax_t size = std::filesystem::file_size(p);
        if (size < kLargeFileMinimum)
            setup_failed("the max document file is only " + std::to_string(size) + " bytes");
        return p;
    }();
    return path;
}

const std::string& scaling_file(int factor) {
    static std::map<int, std::string> paths;
    auto it = paths.find(factor);
    if (it == paths.end())
        it = paths
                 .emplace(factor, write_checked(scaling_shape(30 * factor),
                                                "scaling_" + std::to_string(factor) + ".spr"))
                 .first;
    return it->second;
}

Session& loaded_max_session() {
    static Session& session = []() -> Session& {
        Session& s = the_session();
        LoadReport report;
        if (Status st = load_sprite(max_document_file(), s, &report); !st.ok() || !report.isSprite)
            setup_failed("loading the max document into the window's session");
        return s;
    }();
    return session;
}

}  // namespace dabro::bench
