// Benchmarks of reading and writing sprite files: load, save and how load grows with size.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "document/file_layer.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"

namespace dabro::bench {

namespace {

// Every benchmark here runs for at least two seconds: single runs of a few hundred
// milliseconds vary with the disk's flushing and with whatever else the machine runs.

// Loads `path` once per iteration into a fresh session, with the memory the previous one
// held handed back to the system first, so that every load fills memory the process has not
// touched yet, as the first Open does. Without this, small documents would reuse the
// allocator's warm pages and large ones would not, and the growth with size would mostly
// show the allocator's trim threshold.
void load_each_iteration(benchmark::State& state, const std::string& path) {
    std::unique_ptr<Session> session;
    for (auto _ : state) {
        state.PauseTiming();
        session.reset();
        ::malloc_trim(0);
        session = make_session();
        state.ResumeTiming();
        LoadReport report;
        if (Status s = load_sprite(path, *session, &report); !s.ok() || !report.isSprite) {
            state.SkipWithError("load_sprite failed");
            break;
        }
    }
}

void check_posix(bool good, const char* what) {
    if (!good) setup_failed(std::string(what) + " failed, errno " + std::to_string(errno));
}

// The floor for loading: the file into fresh memory with one plain read loop. Like the
// loads below, it starts from memory handed back to the system, and the buffer is freed
// outside the measurement, as a loaded document is.
void BM_ReadFileBytes(benchmark::State& state) {
    const std::string& path = max_document_file();
    std::size_t size = 0;
    std::unique_ptr<std::uint8_t[]> buffer;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.reset();
        ::malloc_trim(0);
        state.ResumeTiming();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        check_posix(fd >= 0, "open");
        struct stat st {};
        check_posix(::fstat(fd, &st) == 0, "fstat");
        size = static_cast<std::size_t>(st.st_size);
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, buffer.get() + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            check_posix(n > 0, "read");
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ReadFileBytes)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

// Opening a file as the editor's first Open does: into a session that holds no images yet.
void BM_LoadSprite(benchmark::State& state) {
    const std::string& path = max_document_file();
    load_each_iteration(state, path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadSprite)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

// The floor for saving: the same bytes written as durably as the saver writes them, to a
// temporary file beside the target, synced, then renamed over the target.
void BM_WriteFileBytes(benchmark::State& state) {
    std::vector<std::uint8_t> bytes;
    if (Status s = read_whole_file(max_document_file(), bytes); !s.ok()) setup_failed(s.message());
    const std::string target = bench_path("floor.spr");
    for (auto _ : state) {
        std::string temp = bench_path(".floor.spr.XXXXXX");
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        check_posix(fd >= 0, "mkostemp");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            check_posix(n > 0, "write");
            done += static_cast<std::size_t>(n);
        }
        check_posix(::fchmod(fd, 0644) == 0, "fchmod");
        check_posix(::fsync(fd) == 0, "fsync");
        check_posix(::close(fd) == 0, "close");
        check_posix(::rename(temp.c_str(), target.c_str()) == 0, "rename");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteFileBytes)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

void BM_SaveSprite(benchmark::State& state) {
    const Session& session = loaded_max_session();
    const HeaderValues header = header_of(session.document);
    const std::string target = bench_path("saved.spr");
    for (auto _ : state) {
        if (Status s = save_sprite(target, session.document, header); !s.ok()) {
            state.SkipWithError("save_sprite failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(target)));
}
BENCHMARK(BM_SaveSprite)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

// Loading 240, 960 and 3840 images of the same kind: the images-per-second rate stays level
// when the time grows linearly with the image count.
void BM_LoadScaling(benchmark::State& state) {
    const int factor = static_cast<int>(state.range(0));
    const int images = 240 * factor;
    load_each_iteration(state, scaling_file(factor));
    state.SetItemsProcessed(state.iterations() * images);
    state.counters["images"] = images;
    state.counters["us_per_image"] = benchmark::Counter(
        images * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadScaling)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->UseRealTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
