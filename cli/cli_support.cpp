// The steps verbs share: loading and saving a sprite, and selecting a collection, image or palette.
#include "cli/cli_support.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "cli/verb.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "interchange/raw_import.h"
#include "interchange/sheet.h"

namespace dabro::cli {

namespace {

// The files the options of `role` name, with the files that go with them, and the operands.
std::vector<std::string> files_of(const Arguments& a, Role role) {
    std::vector<std::string> files;
    if (!a.verb) return files;
    const Operands& operands = a.verb->takes.operands;
    for (std::size_t k = 0; k < a.operands.size(); ++k) {
        const bool last = k + 1 == a.operands.size() && k > 0;
        if ((last ? operands.last : Role::InputFile) == role) files.push_back(a.operands[k]);
    }
    for (const Option& o : a.verb->takes.options) {
        const std::string name(o.name);
        if (o.role != role || !a.has(name) || !a.writes(o.name)) continue;
        files.push_back(a.value(name));
        if (o.with)
            for (std::string& f : o.with(a.value(name))) files.push_back(std::move(f));
    }
    return files;
}

std::vector<std::string> inputs_of(const Arguments& a) {
    std::vector<std::string> inputs = files_of(a, Role::InputFile);
    std::error_code ec;
    if (std::filesystem::is_directory(a.file, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(a.file, ec))
            inputs.push_back(entry.path().string());
    }
    return inputs;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ec;
    const auto ca = std::filesystem::weakly_canonical(a, ec);
    if (ec) return a == b;
    const auto cb = std::filesystem::weakly_canonical(b, ec);
    return ec ? a == b : ca == cb;
}

std::vector<std::string> outputs_of(const Arguments& a) {
    std::vector<std::string> outputs = files_of(a, Role::OutputFile);
    for (std::string& f : files_of(a, Role::OutputFolder)) outputs.push_back(std::move(f));
    return outputs;
}

std::vector<std::string> sheet_json_beside(const std::string& sheet) {
    return {sheet_json_path(sheet)};
}

std::vector<std::string> raw_palettes(const std::string& raw) {
    const ImportName name = parse_import_name(raw);
    return {name.palettePath, name.gimpPalettePath};
}

Status check_outputs(const Arguments& a) {
    const std::vector<std::string> outputs = outputs_of(a);
    const std::vector<std::string> inputs = inputs_of(a);
    for (const std::string& out : outputs) {
        for (const std::string& in : inputs) {
            if (!in.empty() && same_file(out, in))
                return Status::failure(out + " is the same file as the input " + in +
                                       "; choose another output");
        }
    }
    return Status::success();
}

Status load(const std::string& path, LoadedSprite& sprite) {
    LoadReport report;
    if (Status s = load_sprite(path, *sprite.session, &report); !s.ok()) return s;
    if (!report.isSprite) return Status::failure("This is not a .spr file");
    return Status::success();
}

Status save(const std::string& path, LoadedSprite& sprite) {
    return save_sprite(path, sprite.document(), header_of(sprite.document()));
}

namespace {

// The collection of -c, refused when the sprite has no such collection or never read it.
Status pick_collection(EditContext& e) {
    if (Status s = int_option(e.args, "-c", e.c); !s.ok()) return s;
    SpriteDocument& doc = e.document();
    if (!collection_in_use(doc, e.c)) {
        return Status::failure("There is no collection " + std::to_string(e.c) +
                               ": the sprite has " + counted(doc.collectionCount, "collection"));
    }
    e.collection = &doc.collections[static_cast<std::size_t>(e.c)];
    return check_readable_collection(doc, e.c);
}

// The image slot of -f and -d: frame x directions + direction, as the window selects it.
Status pick_image(EditContext& e) {
    int f = 0;
    int d = 0;
    if (Status s = int_option(e.args, "-f", f); !s.ok()) return s;
    if (Status s = int_option(e.args, "-d", d); !s.ok()) return s;
    e.slot = e.collection->slot_of(f, d);
    e.end = e.slot + 1;
    if (e.slot < 0) {
        return Status::failure("There is no image at frame " + std::to_string(f) + ", direction " +
                               std::to_string(d) + ": the collection has " +
                               counted(e.collection->frames, "frame") + " and " +
                               counted(e.collection->directions, "direction"));
    }
    return Status::success();
}

}  // namespace

Status run_skeleton(const Skeleton& edit, const Arguments& a, std::ostream& out) {
    EditContext e{a};
    if (Status s = check_outputs(a); !s.ok()) return s;
    if (Status s = load(a.file, e.sprite); !s.ok()) return s;
    if (edit.picks != Picks::Sprite)
        if (Status s = pick_collection(e); !s.ok()) return s;
    if (edit.picks == Picks::Images && a.given("--all")) {
        e.end = e.collection->slot_count();
    } else if (edit.picks == Picks::Image || edit.picks == Picks::Images) {
        if (Status s = pick_image(e); !s.ok()) return s;
    }
    if (Status s = edit.step(e); !s.ok()) return s;
    if (edit.saves && a.writes("-o"))
        if (Status s = save(a.value("-o"), e.sprite); !s.ok()) return s;
    for (const std::string& line : e.lines) out << line << '\n';
    if (!edit.done.empty()) out << edit.done << a.value("-o") << '\n';
    return Status::success();
}

Status palette_option(const Arguments& a, int& palette, PaletteRangeText wording) {
    palette = 0;
    if (!a.has("-p")) return Status::success();
    if (Status s = int_option(a, "-p", palette); !s.ok()) return s;
    if (palette >= 0 && palette < kPalettesPerCollection) return Status::success();
    const std::string last = std::to_string(kPalettesPerCollection - 1);
    return Status::failure("There is no palette " + std::to_string(palette) +
                           (wording == PaletteRangeText::Collection
                                ? ": a collection has palettes 0 to " + last
                                : ": use 0 to " + last));
}

}  // namespace dabro::cli
