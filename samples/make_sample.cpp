// Writes the sample sprite: `dabro-make-sample samples/sample.spr`.
#include <cstdio>

#include "document/sprite_saver.h"
#include "support/sample_sprite.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: dabro-make-sample OUT.spr\n");
        return 2;
    }
    const auto doc = dabro::test::make_sample_document();
    const dabro::Status s = dabro::save_sprite(argv[1], *doc, dabro::header_of(*doc));
    if (!s.ok()) {
        std::fprintf(stderr, "%s\n", dabro::failure_text(s.message()).c_str());
        return 1;
    }
    return 0;
}
