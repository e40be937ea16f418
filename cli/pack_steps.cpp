// The steps pack and watch share: reading their options and packing a folder into a sprite file.
#include "cli/pack_steps.h"

#include <memory>

namespace dabro::cli {

Status encoding_option(const Arguments& a, Encoding& encoding) {
    encoding = Encoding::Compact;
    if (!a.has("--encoding")) return Status::success();
    const std::string& name = a.value("--encoding");
    if (name == "compact") return Status::success();
    if (name == "one-pixel") {
        encoding = Encoding::OnePixel;
        return Status::success();
    }
    return Status::failure("Unknown encoding '" + name + "': use compact or one-pixel");
}

Status prepare_pack(const Arguments& a, PackSetup& setup) {
    if (Status s = check_outputs(a); !s.ok()) return s;
    if (Status s = encoding_option(a, setup.options.encoding); !s.ok()) return s;
    setup.options.base = nullptr;
    if (!a.has("--base")) return Status::success();
    if (Status s = load(a.value("--base"), setup.base); !s.ok()) return s;
    setup.options.base = &setup.base.document();
    return Status::success();
}

Status pack_to_file(const std::string& folder, const PackOptions& options,
                    const std::string& path) {
    std::unique_ptr<SpriteDocument> document;
    if (Status s = pack_folder(folder, options, document); !s.ok()) return s;
    LoadedSprite packed;
    packed.session->document = std::move(*document);
    return save(path, packed);
}

}  // namespace dabro::cli
