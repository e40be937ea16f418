# Reads the JSON that dabro_bench writes with --benchmark_format=json (one field a line) and
# prints each target as measured in that run. Wall-clock times throughout; with repetitions
# the median is taken. Plain POSIX awk, so a fresh Debian needs nothing more.

function text_of(line) {
    sub(/^[^:]*: *"/, "", line)
    sub(/",? *$/, "", line)
    return line
}
function number_of(line) {
    sub(/^[^:]*: */, "", line)
    sub(/,? *$/, "", line)
    return line + 0
}
function ns_per(unit) {
    if (unit == "ns") return 1
    if (unit == "us") return 1e3
    if (unit == "ms") return 1e6
    return 1e9
}
function has(key) { return (key in ns) }
function ms(key) { return ns[key] / 1e6 }

/"name":/ {
    name = text_of($0)
    keep = 1
    if (name ~ /_(mean|stddev|cv)$/) keep = 0
    sub(/_median$/, "", name)
    sub(/\/real_time$/, "", name)
    sub(/\/min_time:[0-9.]*$/, "", name)
    real = ""
    failed = 0
}
/"error_occurred": *true/ { failed = 1 }
/"real_time":/ { real = number_of($0) }
/"time_unit":/ {
    if (keep && !failed && real != "") ns[name] = real * ns_per(text_of($0))
}

function ratio(label, top, bottom, limit) {
    if (!has(top) || !has(bottom)) {
        printf "  %-44s not measured\n", label
        missing = 1
        return
    }
    r = ns[top] / ns[bottom]
    printf "  %-44s %9.3f ms / %9.3f ms = %6.3f   target <= %-4s %s\n", label, ms(top), ms(bottom), r, limit,
           (r <= limit ? "met" : "MISSED")
}

END {
    print "Targets (wall-clock, one run):"
    ratio("BM_LoadSprite / BM_ReadFileBytes", "BM_LoadSprite", "BM_ReadFileBytes", 2)
    ratio("BM_SaveSprite / BM_WriteFileBytes", "BM_SaveSprite", "BM_WriteFileBytes", 2)
    ratio("BM_SequenceRefresh / BM_QListWidgetRefill3840", "BM_SequenceRefresh", "BM_QListWidgetRefill3840", 0.1)
    if (has("BM_SequenceRefresh"))
        printf "  %-44s %9.3f ms                           target < 2 ms    %s\n", "BM_SequenceRefresh",
               ms("BM_SequenceRefresh"), (ms("BM_SequenceRefresh") < 2 ? "met" : "MISSED")
    if (has("BM_RenderImage")) {
        rate = 225 * 153 / (ns["BM_RenderImage"] / 1e9) / 1e6
        printf "  %-44s %9.1f M pixels/s                    target >= 200    %s\n", "BM_RenderImage (225 x 153)",
               rate, (rate >= 200 ? "met" : "MISSED")
    } else {
        printf "  %-44s not measured\n", "BM_RenderImage"
    }
    if (has("BM_CollectionFrameClick"))
        printf "  %-44s %9.3f ms\n", "BM_CollectionFrameClick", ms("BM_CollectionFrameClick")
    if (has("BM_HalveImage"))
        printf "  %-44s %9.3f ms\n", "BM_HalveImage (480 x 480)", ms("BM_HalveImage")

    print "Scaling of loading (microseconds per image; level means linear growth):"
    for (f = 1; f <= 16; f *= 4) {
        key = "BM_LoadScaling/" f
        if (has(key))
            printf "  %2dx %5d images %10.3f ms %9.2f us per image\n", f, 240 * f, ms(key), ns[key] / 1e3 / (240 * f)
    }
    if (has("BM_LoadScaling/1") && has("BM_LoadScaling/16"))
        printf "  per-image time at 16x / at 1x = %.2f\n", (ns["BM_LoadScaling/16"] / 16) / ns["BM_LoadScaling/1"]
}
