#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "commands/document_commands.h"
#include "commands/history.h"
#include "document/sprite_saver.h"
#include "imaging/halve.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"

namespace dabro::test {
namespace {

std::vector<std::uint8_t> bytes_of(const SpriteDocument& d) {
    std::vector<std::uint8_t> bytes;
    const Status s = encode_sprite(d, header_of(d), bytes);
    EXPECT_TRUE(s.ok()) << s.message();
    return bytes;
}

// Random commands of every kind, aimed now and then at entries that are not in use.
class CommandSource {
  public:
    explicit CommandSource(std::uint32_t seed) : rng_(seed) {}

    CommandPtr next(const SpriteDocument& d) {
        switch (pick(0, 11)) {
            case 0:
                return set_sequence_name_command(sequence(d),
                                                 std::string(pick(0, 45), 'a' + pick(0, 25)));
            case 1:
                return set_collection_index_command(sequence(d),
                                                    static_cast<std::uint16_t>(pick(0, 70000)));
            case 2:
                return set_image_index_command(sequence(d), pick(-1, 6),
                                               static_cast<std::int16_t>(pick(-5, 40)));
            case 3:
                return set_frame_value_command(sequence(d), pick(-1, 6), pick(-1000, 1000));
            case 4:
                return add_sequence_command();
            case 5:
                return delete_sequence_command();
            case 6:
                return pick(0, 1) ? add_frame_command(sequence(d))
                                  : delete_frame_command(sequence(d));
            case 7:
                return set_geometry_command("Edit size and box", image(d),
                                            {pick(-3, 40),
                                             pick(-3, 40),
                                             {pick(-9, 9), pick(-9, 9), pick(-9, 9), pick(-9, 9)}});
            case 8: {
                const ImageRef ref = image(d);
                if (!is_valid(d, ref))
                    return replace_image_command("Import image", Refresh::Preview, ref, {});
                CollectionImage halved = d.collections[ref.collection].images[ref.slot];
                EXPECT_TRUE(halve_in_place(halved).ok());
                return replace_image_command("Halve image", Refresh::ImageDetails, ref,
                                             {std::move(halved.data), halved.width, halved.height});
            }
            case 9: {
                const int w = pick(0, 12);
                const int h = pick(0, 12);
                return replace_image_command("Import image", Refresh::Preview, image(d),
                                             {mixed_rle(w, h, rng_()), w, h});
            }
            case 10: {
                Palette p{};
                for (auto& entry : p) entry = rng_() & 0xFFFFFF;
                return set_palette_command("Import palette", pick(-1, d.collectionCount), p);
            }
            default: {
                std::vector<CommandPtr> parts;
                parts.push_back(next(d));
                parts.push_back(next(d));
                return group_command("Import by name", Refresh::ImageDetails, std::move(parts));
            }
        }
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  private:
    int sequence(const SpriteDocument& d) { return pick(-1, d.sequenceCount); }
    ImageRef image(const SpriteDocument& d) {
        const int c = pick(0, d.collectionCount);
        return {c, pick(-1, c < d.collectionCount ? d.collections[c].slot_count() : 1)};
    }

    std::minstd_rand rng_;
};

// Random runs, undos and redos, each state checked against the bytes it must save to;
// then undo all gives the original document field by field, and redo all the newest state.
class RandomEdits : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(RandomEdits, UndoAndRedoRestoreEveryState) {
    auto doc = make_document({.sequences = 4,
                              .framesPerSequence = 3,
                              .collections = {{2, 4}, {3, 1}, {1, 8}},
                              .seed = GetParam()});
    const auto original = std::make_unique<SpriteDocument>(*doc);
    History history;
    CommandSource source(GetParam());
    std::vector<std::vector<std::uint8_t>> states = {bytes_of(*doc)};
    std::size_t done = 0;
    for (int step = 0; step < 300; ++step) {
        const int action = source.pick(0, 5);
        if (action == 0 && history.undo(*doc)) {
            --done;
        } else if (action == 1 && history.redo(*doc)) {
            ++done;
        } else if (action > 1 && history.run(source.next(*doc), *doc)) {
            states.resize(++done);
            states.push_back(bytes_of(*doc));
            done = states.size() - 1;
        }
        ASSERT_EQ(bytes_of(*doc), states[done]) << "after step " << step;
    }
    while (history.redo(*doc)) ++done;
    const auto newest = std::make_unique<SpriteDocument>(*doc);
    while (history.undo(*doc)) {
    }
    EXPECT_TRUE(*doc == *original);
    EXPECT_EQ(bytes_of(*doc), states.front());
    while (history.redo(*doc)) {
    }
    EXPECT_TRUE(*doc == *newest);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEdits, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

CommandPtr frame_value(int value) {
    return set_frame_value_command(0, 0, value);
}

TEST(History, KeepsTheNewestStepsWithinItsLimits) {
    auto doc = make_document({.sequences = 1, .framesPerSequence = 1});
    History history({.steps = 5, .bytes = 100000});
    for (int v = 1; v <= 8; ++v) history.run(frame_value(v), *doc);
    EXPECT_EQ(history.size(), 5u);
    while (history.undo(*doc)) {
    }
    EXPECT_EQ(doc->sequences[0].frameValue[0], 3) << "steps 1 to 3 were dropped";

    const ImageRef ref{0, 0};
    history.run(replace_image_command("Import image", Refresh::Preview, ref,
                                      {std::vector<std::uint8_t>(60000, 4), 60000, 1}),
                *doc);
    history.run(replace_image_command("Import image", Refresh::Preview, ref,
                                      {std::vector<std::uint8_t>(30000, 4), 30000, 1}),
                *doc);
    EXPECT_EQ(history.size(), 1u) << "the byte limit drops the oldest, never the newest";
    EXPECT_EQ(history.stored_bytes(), 90000u) << "a step counts its old and its new data";
}

TEST(History, KnowsWhenTheDocumentIsBackAtItsCleanStep) {
    auto doc = make_document({.sequences = 1, .framesPerSequence = 1});
    History history({.steps = 3, .bytes = 100000});
    EXPECT_TRUE(history.at_clean());
    history.run(frame_value(1), *doc);
    EXPECT_FALSE(history.at_clean());
    history.undo(*doc);
    EXPECT_TRUE(history.at_clean());
    EXPECT_FALSE(history.run(frame_value(doc->sequences[0].frameValue[0]), *doc))
        << "a command that changes nothing is no step";
    EXPECT_TRUE(history.at_clean());

    history.redo(*doc);
    history.mark_clean();
    history.undo(*doc);
    history.run(frame_value(2), *doc);
    EXPECT_FALSE(history.at_clean()) << "the clean step was undone and replaced";
    for (int v = 3; v < 8; ++v) history.run(frame_value(v), *doc);
    while (history.undo(*doc)) EXPECT_FALSE(history.at_clean());
}

// The clean mark moves with the steps the limits drop: the saved state stays reachable while
// its step is in the history, and is gone for good once that step is dropped.
struct CleanCase {
    const char* name;
    std::size_t limit;  // steps kept
    int beforeSave;     // steps run before the save
    int afterSave;      // steps run after it
    bool reachable;     // undo, or redo, can still come back to the saved state
};

class CleanMarkWithinLimits : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanMarkWithinLimits, FollowsTheDroppedSteps) {
    const CleanCase c = GetParam();
    auto doc = make_document({.sequences = 1, .framesPerSequence = 1});
    History history({.steps = c.limit, .bytes = 100000});
    int value = 1000;
    for (int i = 0; i < c.beforeSave; ++i) history.run(frame_value(++value), *doc);
    history.mark_clean();
    const int saved = doc->sequences[0].frameValue[0];
    for (int i = 0; i < c.afterSave; ++i) history.run(frame_value(++value), *doc);
    EXPECT_EQ(history.at_clean(), c.afterSave == 0);
    int visits = 0;  // clean states passed through on the way back, and forward again
    while (history.undo(*doc)) {
        visits += history.at_clean();
        EXPECT_EQ(history.at_clean(), doc->sequences[0].frameValue[0] == saved && c.reachable);
    }
    while (history.redo(*doc)) {
        visits += history.at_clean();
        EXPECT_EQ(history.at_clean(), doc->sequences[0].frameValue[0] == saved && c.reachable);
    }
    EXPECT_EQ(visits > 0, c.reachable);
}

INSTANTIATE_TEST_SUITE_P(History, CleanMarkWithinLimits,
                         ::testing::Values(CleanCase{"SavedStepKeptAsOthersGo", 3, 4, 2, true},
                                           CleanCase{"SavedStepIsTheOldestKept", 3, 4, 3, true},
                                           CleanCase{"SavedStepDropped", 3, 4, 4, false},
                                           CleanCase{"SavedAtTheStartKept", 3, 0, 3, true},
                                           CleanCase{"SavedAtTheStartDropped", 3, 0, 4, false},
                                           CleanCase{"SavedAtTheNewest", 3, 6, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(History, AStepLargerThanTheByteLimitStaysUntilTheNextOne) {
    auto doc = make_document({.sequences = 1, .framesPerSequence = 1});
    const std::vector<std::uint8_t> before = doc->collections[0].images[0].data;
    History history({.steps = 10, .bytes = 1000});
    history.run(frame_value(1), *doc);
    history.mark_clean();
    ASSERT_TRUE(history.run(replace_image_command("Import image", Refresh::Preview, {0, 0},
                                                  {std::vector<std::uint8_t>(5000, 4), 5000, 1}),
                            *doc));
    EXPECT_EQ(history.size(), 1u) << "the older step goes; the large one stays";
    EXPECT_GE(history.stored_bytes(), 5000u);
    ASSERT_NE(history.undo(*doc), nullptr);
    EXPECT_EQ(doc->collections[0].images[0].data, before);
    EXPECT_TRUE(history.at_clean()) << "the saved state is the one before the large step";
    EXPECT_FALSE(history.undo(*doc)) << "the step before it was dropped";
    history.redo(*doc);
    history.run(frame_value(2), *doc);
    EXPECT_EQ(history.size(), 1u) << "the next step drops the large one";
    EXPECT_LE(history.stored_bytes(), 1000u);
    history.undo(*doc);
    EXPECT_FALSE(history.at_clean());
}

// Each step knows the entries it changes, once applied, so that undo and redo can show them.
TEST(History, EveryStepKnowsItsPlace) {
    auto doc =
        make_document({.sequences = 3, .framesPerSequence = 4, .collections = {{2, 4}, {3, 1}}});
    Palette grey{};
    grey.fill(0x123456);
    struct Row {
        CommandPtr command;
        Place place;
    };
    Row rows[] = {
        {set_sequence_name_command(1, "x"), {.sequence = 1}},
        {set_frame_value_command(2, 3, 123457), {.sequence = 2, .frame = 3}},
        {add_sequence_command(), {.sequence = 3}},
        {delete_sequence_command(), {.sequence = 3}},
        {delete_sequence_command(), {.sequence = 2}},
        {add_frame_command(1), {.sequence = 1, .frame = 4}},
        {delete_frame_command(0), {.sequence = 0, .frame = 3}},
        {set_geometry_command("Align image", {0, 5}, {1, 2, {}}), {.collection = 0, .slot = 5}},
        {set_palette_command("Import palette", 1, grey, 2), {.collection = 1}},
    };
    History history;
    for (Row& row : rows) {
        const Command& step = *row.command;
        ASSERT_TRUE(history.run(std::move(row.command), *doc)) << step.name();
        EXPECT_EQ(step.place(), row.place) << step.name();
        history.undo(*doc);
        history.redo(*doc);
        EXPECT_EQ(step.place(), row.place) << step.name() << " after a redo";
    }
}

}  // namespace
}  // namespace dabro::test
