#include <gtest/gtest.h>

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "support/memory_files.h"
#include "support/sample_sprite.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// The committed sample is exactly what the generator makes, and it loads.
TEST(Sample, IsTheGeneratorsOutputAndLoads) {
    const std::string path = std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr";
    const auto doc = test::make_sample_document();
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encode_sprite(*doc, header_of(*doc), bytes).ok());
    EXPECT_EQ(test::read_bytes(path), bytes) << "run dabro-make-sample samples/sample.spr";

    auto session = make_session();
    ASSERT_TRUE(load_sprite(path, *session).ok());
    EXPECT_TRUE(session->imagesReadable);
    EXPECT_EQ(session->document.sequenceCount, 3);
    EXPECT_EQ(session->document.collectionCount, 3);
    EXPECT_EQ(session->document.collections[2].directions, 8);
}

TEST(Sample, WalkIsTheGeneratorsOutput) {
    const std::string path = std::string(DABRO_SOURCE_DIR) + "/samples/walk.spr";
    const auto doc = test::make_walk_sample_document();
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(encode_sprite(*doc, header_of(*doc), bytes).ok());
    EXPECT_EQ(test::read_bytes(path), bytes) << "run dabro-make-sample --walk samples/walk.spr";
}

}  // namespace
}  // namespace dabro
