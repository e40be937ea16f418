// The document's in-use rules and the process-wide session.
#include "document/sprite_document.h"

#include "document/name_text.h"

namespace dabro {

int ImageCollection::slot_count() const {
    if (frames <= 0 || directions <= 0) return 0;
    const long long n = static_cast<long long>(frames) * directions;
    return n > kMaxImageSlots ? kMaxImageSlots : static_cast<int>(n);
}

int ImageCollection::slot_of(int frame, int direction) const {
    if (frame < 0 || direction < 0 || frame >= frames || direction >= directions) return -1;
    const long long slot = static_cast<long long>(frame) * directions + direction;
    return slot < slot_count() ? static_cast<int>(slot) : -1;
}

bool sequence_in_use(const SpriteDocument& document, int sequence) {
    return sequence >= 0 && sequence < document.sequenceCount && sequence < kMaxSequences;
}

bool frame_in_use(const SpriteDocument& document, int sequence, int frame) {
    return sequence_in_use(document, sequence) && frame >= 0 &&
           frame < document.sequences[static_cast<std::size_t>(sequence)].frameCount &&
           frame < kMaxSequenceFrames;
}

bool collection_in_use(const SpriteDocument& document, int collection) {
    return collection >= 0 && collection < document.collectionCount && collection < kMaxCollections;
}

bool readable_collection(const SpriteDocument& document, int collection) {
    return collection_in_use(document, collection) &&
           document.collections[static_cast<std::size_t>(collection)].images_readable();
}

Status check_readable_collection(const SpriteDocument& document, int collection) {
    if (!readable_collection(document, collection)) return Status::failure(kUnreadableImages);
    return Status::success();
}

std::unique_ptr<Session> make_session() {
    return std::make_unique<Session>();
}

Session& the_session() {
    static const std::unique_ptr<Session> session = make_session();
    return *session;
}

void reset(Session& session) {
    session.currentFileName.clear();
    SpriteDocument& doc = session.document;
    doc.dimensions = {0, 0, 0};
    doc.centerX = 0;
    doc.centerY = 0;
    doc.headerWord = 0;
    doc.headerByte = 0;
    doc.sequenceCount = 0;
    doc.collectionCount = 0;
}

ShortName<kMaxSourceNameLength> source_name_of(std::string_view path) {
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return ShortName<kMaxSourceNameLength>(name.substr(0, cut_length(name, kMaxSourceNameLength)));
}

}  // namespace dabro
