#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/verb.h"
#include "cli/watch_verb.h"
#include "cli_runner.h"
#include "document/sprite_loader.h"
#include "interchange/png_codec.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using namespace std::chrono_literals;
using Data = std::vector<std::uint8_t>;

// OUT as a reader finds it: each new version must load whole, whenever it is looked at.
class OutFile {
  public:
    explicit OutFile(std::string path) : path_(std::move(path)) {}

    // Looks every 10 ms for `span`; true as soon as OUT is a version not seen before.
    bool changes_within(std::chrono::milliseconds span) {
        for (auto end = std::chrono::steady_clock::now() + span;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(10ms)) {
            struct stat st {};
            if (::stat(path_.c_str(), &st) != 0) continue;
            const auto stamp = std::make_pair(st.st_ino, st.st_mtim.tv_nsec);
            if (versions_ != 0 && stamp == stamp_) continue;
            stamp_ = stamp;
            ++versions_;
            auto session = make_session();
            const Status s = load_sprite(path_, *session);
            EXPECT_TRUE(s.ok()) << "version " << versions_ << ": " << s.message();
            bytes_ = test::read_bytes(path_);
            return true;
        }
        return false;
    }
    const Data& bytes() const { return bytes_; }

  private:
    std::string path_;
    std::pair<ino_t, long> stamp_;
    int versions_ = 0;
    Data bytes_;
};

// The sheet of collection 0 with one pixel given another pixel's colour.
Data edited_sheet(const Data& png) {
    RgbaImage picture;
    EXPECT_TRUE(decode_png(png, "sheet", picture).ok());
    std::vector<std::uint32_t>& p = picture.pixels;
    std::size_t first = 0;
    while (first < p.size() && (p[first] >> 24) != 0xFF) ++first;
    for (std::size_t i = first + 1; i < p.size(); ++i) {
        if ((p[i] >> 24) == 0xFF && p[i] != p[first]) {
            p[i] = p[first];
            break;
        }
    }
    Data out;
    EXPECT_TRUE(encode_png(picture, out).ok());
    EXPECT_NE(out, png);
    return out;
}

void write_text(const std::string& path, const std::string& text) {
    test::write_bytes(path, Data(text.begin(), text.end()));
}

class Watch : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(
            test::run_cli({"unpack", std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr", folder})
                .code,
            0);
        const Data json = test::read_bytes(folder + "/sprite.json");
        sheet = nlohmann::json::parse(json.begin(), json.end())["collections"][0]["sheet"];
    }

    test::TempDir dir;
    std::string folder = dir.file("unpacked");
    std::string out = dir.file("out.spr");
    std::string sheet;
};

TEST_F(Watch, RepacksEachChangeAndAFailedPackLeavesOutAsItWas) {
    cli::Arguments args;
    ASSERT_TRUE(cli::parse_arguments(*cli::find_verb("watch"), {{folder, "-o", out}}, args).ok());
    std::atomic<bool> stop{false};
    std::ostringstream printed;
    std::ostringstream errors;
    auto loop = std::async(std::launch::async, [&] {
        return cli::watch_folder(args, printed, errors, [&] { return stop.load(); },
                                 {.poll = 50ms, .quiet = 100ms})
            .code;
    });
    OutFile outFile(out);
    ASSERT_TRUE(outFile.changes_within(5s));
    const Data first = outFile.bytes();

    // A PNG written in two halves a second apart: the half fails to pack, the whole packs.
    const std::string sheetPath = folder + "/" + sheet;
    const Data edited = edited_sheet(test::read_bytes(sheetPath));
    const auto half = static_cast<std::ptrdiff_t>(edited.size() / 2);
    test::write_bytes(sheetPath, Data(edited.begin(), edited.begin() + half));
    EXPECT_FALSE(outFile.changes_within(1s));
    FILE* file = std::fopen(sheetPath.c_str(), "ab");
    ASSERT_NE(file, nullptr);
    std::fwrite(edited.data() + half, 1, edited.size() - static_cast<std::size_t>(half), file);
    std::fclose(file);
    EXPECT_TRUE(outFile.changes_within(5s));
    EXPECT_NE(outFile.bytes(), first);

    // A broken sprite.json, then the good one saved back through a rename.
    const Data good = test::read_bytes(folder + "/sprite.json");
    write_text(folder + "/sprite.json", "{\"format\": ");
    EXPECT_FALSE(outFile.changes_within(1s));
    test::write_bytes(folder + "/sprite.json.tmp", good);
    ASSERT_EQ(std::rename((folder + "/sprite.json.tmp").c_str(), (folder + "/sprite.json").c_str()),
              0);
    EXPECT_TRUE(outFile.changes_within(5s));

    stop = true;
    EXPECT_EQ(loop.get(), 0);
    EXPECT_NE(printed.str().find("Packed " + out + ": collection 0 sheet changed\n"),
              std::string::npos)
        << printed.str();
    EXPECT_NE(printed.str().find("Packed " + out + ": sprite.json changed\n"), std::string::npos)
        << printed.str();
    EXPECT_NE(errors.str().find("Not packed: collection 0 sheet changed: " + sheet),
              std::string::npos)
        << errors.str();
    EXPECT_NE(errors.str().find("Not packed: sprite.json changed: sprite.json"), std::string::npos)
        << errors.str();
}

TEST_F(Watch, AStartThatCannotWorkFailsAndSigtermEndsTheVerbWithZero) {
    const auto missing = test::run_cli({"watch", dir.file("none"), "-o", out});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.last_error_line().find("none"), std::string::npos) << missing.err;
    const std::string json = folder + "/sprite.json";
    EXPECT_EQ(test::run_cli({"watch", json, "-o", out}).last_error_line(),
              json +
                  " is not a folder: watch packs an unpacked folder, the one holding "
                  "sprite.json.");

    auto verb = std::async(std::launch::async, [&] {
        return test::run_cli({"watch", folder, "-o", out});
    });
    OutFile outFile(out);
    ASSERT_TRUE(outFile.changes_within(5s));
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    const test::CliResult r = verb.get();
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Packed " + out + "\n");
}

}  // namespace
}  // namespace dabro
