// The fuzz targets' entries and their table, shared by libFuzzer and the replay tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Each entry takes one input and returns 0; a broken promise (a round trip that differs, a
// result that disagrees with the reference) prints what broke and aborts, so libFuzzer and the
// replay tool both stop on it. They share no state between inputs.
namespace dabro::fuzz {

using Input = std::span<const std::uint8_t>;

int sprite_loader(Input data);
int render(Input data);
int halve(Input data);
int raw_import(Input data);
int palette(Input data);
int text_to_int(Input data);
int import_name(Input data);
int palette_gpl(Input data);
int palette_jasc(Input data);
int palette_riff(Input data);
int player_frame(Input data);
int png_import(Input data);
int sheet_json(Input data);
int pack_folder(Input data);
int apng(Input data);

struct Target {
    const char* name;
    int (*run)(Input);
};

// Every target, by the name its fuzzer, dictionary and corpus folder carry.
std::span<const Target> all_targets();
const Target* find_target(std::string_view name);

[[noreturn]] void broken(const char* file, int line, const char* what);

}  // namespace dabro::fuzz

// Checked in every build: the targets exist to find the inputs for which this fails.
#define FUZZ_CHECK(condition)                                                    \
    do {                                                                         \
        if (!(condition)) ::dabro::fuzz::broken(__FILE__, __LINE__, #condition); \
    } while (false)
