// Writes the sample sprites: `dabro-make-sample samples/sample.spr` and
// `dabro-make-sample --walk samples/walk.spr`.
#include <cstdio>
#include <string_view>

#include "document/sprite_saver.h"
#include "support/sample_sprite.h"

int main(int argc, char* argv[]) {
    const bool walk = argc == 3 && std::string_view(argv[1]) == "--walk";
    if (argc != 2 && !walk) {
        std::fprintf(stderr, "Usage: dabro-make-sample [--walk] OUT.spr\n");
        return 2;
    }
    const auto doc =
        walk ? dabro::test::make_walk_sample_document() : dabro::test::make_sample_document();
    const dabro::Status s = dabro::save_sprite(argv[argc - 1], *doc, dabro::header_of(*doc));
    if (!s.ok()) {
        std::fprintf(stderr, "%s\n", dabro::failure_text(s.message()).c_str());
        return 1;
    }
    return 0;
}
