#include "cli/cli_support.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "document/text_to_int.h"
#include "imaging/raw_import.h"
#include "interchange/sheet.h"

namespace dabro::cli {

Status parse_arguments(const QStringList& args, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions, Arguments& parsed) {
    std::optional<std::string> file;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const std::string arg = args[i].toStdString();
        if (valueOptions.count(arg)) {
            if (i + 1 >= args.size()) return Status::failure("Option " + arg + " needs a value");
            if (parsed.values.count(arg))
                return Status::failure("Option " + arg + " is given twice");
            parsed.values[arg] = args[++i].toStdString();
        } else if (flagOptions.count(arg)) {
            parsed.flags.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Status::failure("Unknown option " + arg);
        } else if (file) {
            return Status::failure("Unexpected argument " + arg);
        } else {
            file = arg;
        }
    }
    if (!file) return Status::failure("No sprite file given");
    parsed.file = *file;
    return Status::success();
}

Status require(const Arguments& a, std::initializer_list<const char*> options) {
    for (const char* option : options) {
        if (!a.has(option))
            return Status::failure(std::string("Option ") + option + " is required");
    }
    return Status::success();
}

Status int_option(const Arguments& a, const char* option, int& value) {
    std::int32_t v = 0;
    if (Status s = text_to_int(a.value(option), v); !s.ok()) return s;
    value = v;
    return Status::success();
}

namespace {

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

std::vector<std::string> inputs_of(const Arguments& a) {
    std::vector<std::string> inputs{a.file};
    std::error_code ec;
    if (std::filesystem::is_directory(a.file, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(a.file, ec))
            inputs.push_back(entry.path().string());
    }
    for (const char* option : {"--png", "--sheet", "--raw", "--palette", "--base"})
        if (a.has(option)) inputs.push_back(a.value(option));
    if (a.has("--sheet")) inputs.push_back(sheet_json_path(a.value("--sheet")));
    if (a.has("--raw")) {
        const ImportName name = parse_import_name(a.value("--raw"));
        inputs.push_back(name.palettePath);
        inputs.push_back(name.gimpPalettePath);
    }
    return inputs;
}

}  // namespace

Status check_outputs(const Arguments& a, std::initializer_list<std::string> beside) {
    if (!a.has("-o")) return Status::success();
    std::vector<std::string> outputs{a.value("-o")};
    outputs.insert(outputs.end(), beside.begin(), beside.end());
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

Status open_collection(const QStringList& args, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions,
                       std::initializer_list<const char*> required, CollectionContext& ctx) {
    if (Status s = parse_arguments(args, valueOptions, flagOptions, ctx.args); !s.ok()) return s;
    if (Status s = require(ctx.args, required); !s.ok()) return s;
    if (Status s = check_outputs(ctx.args); !s.ok()) return s;
    if (Status s = load(ctx.args.file, ctx.sprite); !s.ok()) return s;
    if (Status s = int_option(ctx.args, "-c", ctx.c); !s.ok()) return s;
    SpriteDocument& doc = ctx.sprite.document();
    if (!collection_in_use(doc, ctx.c)) {
        return Status::failure("There is no collection " + std::to_string(ctx.c) +
                               ": the sprite has " + counted(doc.collectionCount, "collection"));
    }
    ctx.collection = &doc.collections[static_cast<std::size_t>(ctx.c)];
    if (ctx.collection->imageSectionType != kReadableSection)
        return Status::failure("Sprite with compressed images. Images unaccesible");
    return Status::success();
}

Status select_slot(const Arguments& a, const ImageCollection& collection, int& slot) {
    int f = 0;
    int d = 0;
    if (Status s = int_option(a, "-f", f); !s.ok()) return s;
    if (Status s = int_option(a, "-d", d); !s.ok()) return s;
    slot = collection.slot_of(f, d);
    if (slot < 0) {
        return Status::failure("There is no image at frame " + std::to_string(f) + ", direction " +
                               std::to_string(d) + ": the collection has " +
                               counted(collection.frames, "frame") + " and " +
                               counted(collection.directions, "direction"));
    }
    return Status::success();
}

}  // namespace dabro::cli
