// The batch tool's animate verb: reads the options and hands them to the animate command.
#include "actions/animate.h"
#include "cli/cli_support.h"
#include "cli/verb.h"

namespace dabro::cli {

namespace {

Status read_options(const Arguments& a, AnimateOptions& o) {
    o.output = a.value("-o");
    const struct {
        const char* option;
        int* value;
    } choices[] = {{"-s", &o.sequence}, {"-d", &o.direction}, {"-p", &o.palette}};
    for (const auto& c : choices)
        if (a.has(c.option))
            if (Status s = parse_every_or_int(a.value(c.option), *c.value); !s.ok()) return s;
    if (a.has("--scale"))
        if (Status s = int_option(a, "--scale", o.scale); !s.ok()) return s;
    if (a.has("--fps"))
        if (Status s = int_option(a, "--fps", o.fps); !s.ok()) return s;
    o.placement = Placement::Box;
    if (a.has("--place"))
        if (Status s = placement_named(a.value("--place"), o.placement); !s.ok()) return s;
    o.frameValueMs = a.flags.count("--frame-value-ms") != 0;
    if (a.has("--background"))
        if (Status s = parse_background(a.value("--background"), o.background); !s.ok()) return s;
    if (a.has("--format")) {
        o.format = animation_format_named(a.value("--format"));
        if (!o.format)
            return Status::failure("There is no format " + a.value("--format") +
                                   ": use gif, apng or webp");
    }
    return Status::success();
}

Outcome run_animate(const Arguments& a, std::ostream& out, std::ostream&) {
    if (Status s = check_outputs(a); !s.ok()) return s;
    AnimateOptions options;
    if (Status s = read_options(a, options); !s.ok()) return s;
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    AnimationPlan plan;
    if (Status s = plan_animations(sprite.document(), options, plan); !s.ok()) return s;
    // The placeholders can lead a file's name to the input.
    for (const AnimationJob& job : plan.jobs)
        if (same_file(job.path, a.file))
            return Status::failure(job.path + " is the same file as the input " + a.file +
                                   "; choose another output");
    std::vector<std::string> written;
    const Status s = write_animations(sprite.document(), options, plan, written);
    for (const std::string& note : plan.skipped) out << note << ": skipped\n";
    for (const std::string& path : written) out << "Written " << path << '\n';
    return s;
}

const Verb kVerbs[] = {
    {"animate",
     "Writes sequence S in direction D with palette P as a looping GIF, APNG or WebP (by "
     "--format or OUT's extension), each frame the cell render-sequence draws (by box unless "
     "--place corner); 10 frames a second unless --fps F (1 to 100) or each frame's value as "
     "milliseconds; 'all' writes one file for each, named by {s}, {d}, {p} and {name} in OUT",
     run_animate,
     {.options = {required(text("-s", "S|all", "sequence S, from 0, or every sequence")),
                  text("-d", "D|all", "direction D (default 0), or every direction"),
                  text("-p", "P|all", "palette P (default 0), or every palette"),
                  number("--scale", "N", "draw N times larger, 1 to 16 (default 1)"), kPlacement,
                  number("--fps", "F", "frames a second, 1 to 100 (default 10)"),
                  flag("--frame-value-ms", "each frame's value as its milliseconds"),
                  text("--background", "transparent|grey|#rrggbb", "what lies under the images"),
                  text("--format", "gif|apng|webp", "the file's format, else by OUT's extension"),
                  output("-o", "OUT",
                         "the file to write; {s}, {d}, {p} and {name} name each one")}}},
};

const VerbRegistration registered(90, kVerbs);

}  // namespace

}  // namespace dabro::cli
