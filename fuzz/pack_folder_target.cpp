// Fuzz target: pack of an unpacked folder from a hostile sprite.json and files.
#include <map>

#include "document/sprite_saver.h"
#include "fuzz/fuzz_target.h"
#include "interchange/sprite_folder.h"
#include "support/memory_files.h"

namespace dabro::fuzz {

namespace {

// The input is sprite.json, a NUL byte, then the folder's other files, each as a 16-bit
// little-endian length and its bytes. Files are handed out in the order they are asked for.
class FuzzFolder {
  public:
    explicit FuzzFolder(Input data) {
        std::size_t at = 0;
        while (at < data.size() && data[at] != 0) ++at;
        json_ = data.first(at);
        if (at < data.size()) ++at;
        while (at + 2 <= data.size()) {
            const std::size_t n =
                std::min<std::size_t>(data[at] | data[at + 1] << 8, data.size() - at - 2);
            blobs_.push_back(data.subspan(at + 2, n));
            at += 2 + n;
        }
    }

    Status read(const std::string& name, std::size_t maxBytes, std::vector<std::uint8_t>& bytes) {
        Input file;
        if (name == kSpriteJsonName) {
            file = json_;
        } else {
            auto it = given_.find(name);
            if (it == given_.end()) {
                if (given_.size() >= blobs_.size())
                    return Status::file_error(ErrorCode::FileNotFound);
                it = given_.emplace(name, blobs_[given_.size()]).first;
            }
            file = it->second;
        }
        if (file.size() > maxBytes) return Status::failure(name + " is too large");
        bytes.assign(file.begin(), file.end());
        return Status::success();
    }

  private:
    Input json_;
    std::vector<Input> blobs_;
    std::map<std::string, Input> given_;
};

}  // namespace

int pack_folder(Input data) {
    FuzzFolder folder(data);
    PackOptions options;
    options.limits.maxPixels = 1 << 16;
    options.limits.maxChunkBytes = 1 << 20;
    options.limits.maxChunkCache = 1 << 22;
    std::unique_ptr<SpriteDocument> doc;
    const Status s = pack_sprite(
        [&](const std::string& name, std::size_t maxBytes, std::vector<std::uint8_t>& bytes) {
            return folder.read(name, maxBytes, bytes);
        },
        options, doc);
    if (!s.ok()) {
        FUZZ_CHECK(!doc);
        return 0;
    }
    FUZZ_CHECK(doc && doc->sequenceCount <= kMaxSequences &&
               doc->collectionCount <= kMaxCollections);
    for (int c = 0; c < doc->collectionCount; ++c) {
        const ImageCollection& col = doc->collections[static_cast<std::size_t>(c)];
        FUZZ_CHECK(col.slot_count() <= kMaxImageSlots);
        for (int k = 0; k < col.slot_count(); ++k) {
            const CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            FUZZ_CHECK(image.dataLength == static_cast<std::int32_t>(image.data.size()));
        }
    }
    // Whatever pack accepts can be saved.
    std::vector<std::uint8_t> bytes;
    FUZZ_CHECK(encode_sprite(*doc, header_of(*doc), bytes).ok());
    return 0;
}

}  // namespace dabro::fuzz
