# Reads the JSON that dabro_bench writes with --benchmark_format=json (one field a line) and
# prints each target as measured in that run, as the Markdown table docs/performance.md shows.
# Wall-clock times throughout; with repetitions the median is taken. Plain POSIX awk, so a
# fresh Debian needs nothing more.

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
/"items_per_second":/ { if (keep) items[name] = number_of($0) }
/"size_ratio":/ { if (keep) sizeRatio = number_of($0) }
/"[a-z_]+_bytes":/ {
    counter = $0
    sub(/^ *"/, "", counter)
    sub(/".*$/, "", counter)
    if (keep) counters[name "." counter] = number_of($0)
}
/"time_unit":/ {
    if (keep && !failed && real != "") ns[name] = real * ns_per(text_of($0))
}

function row(measure, figure, target, result) {
    printf "| %s | %s | %s | %s |\n", measure, figure, target, result
}
function verdict(ok) { return ok ? "met" : "MISSED" }
# The time of `top` over the time of `bottom`, at most `bound` (or, with `atLeast`, at least:
# how many times faster `bottom` ran).
function compare(top, bottom, bound, atLeast) {
    sign = atLeast ? ">= " : "<= "
    if (!has(top) || !has(bottom)) {
        row("`" top "` / `" bottom "`", "not measured", sign bound, "")
        return
    }
    r = ns[top] / ns[bottom]
    row("`" top "` / `" bottom "`", sprintf("%.3f ms / %.3f ms = %.3f", ms(top), ms(bottom), r),
        sign bound, verdict(atLeast ? r >= bound : r <= bound))
}
function ratio(top, bottom, limit) { compare(top, bottom, limit, 0) }
function speedup(slow, fast, floor) { compare(slow, fast, floor, 1) }
function below_ms(key, limit, label) {
    if (!has(key)) return
    row("`" key "`" label, sprintf("%.2f us", ns[key] / 1e3), "< " limit " ms", verdict(ms(key) < limit))
}
function figure(key, label) {
    if (has(key)) row("`" key "`" label, sprintf("%.3f ms", ms(key)), "", "")
}

END {
    print "| Measure | Figure (this run) | Target | Result |"
    print "|---|---|---|---|"
    ratio("BM_LoadSprite", "BM_ReadFileBytes", 2)
    ratio("BM_SaveSprite", "BM_WriteFileBytes", 2)
    ratio("BM_DiffMaxDocument", "BM_LoadSprite", 2.5)
    ratio("BM_SequenceRefresh", "BM_QListWidgetRefill3840", 0.1)
    below_ms("BM_SequenceRefresh", 2, "")
    if (has("BM_RenderImage")) {
        rate = 225 * 153 / (ns["BM_RenderImage"] / 1e9) / 1e6
        row("`BM_RenderImage` (225 x 153)", sprintf("%.1f M pixels/s", rate), ">= 200 M/s", verdict(rate >= 200))
    }
    figure("BM_CollectionFrameClick", "")
    figure("BM_HalveImage", " (480 x 480)")
    below_ms("BM_UndoRedoHalve", 0.05, " (undo and redo)")
    if (("BM_HistoryOf1000FieldEdits.history_bytes") in counters) {
        b = counters["BM_HistoryOf1000FieldEdits.history_bytes"]
        row("`BM_HistoryOf1000FieldEdits`", sprintf("%.0f KB", b / 1024), "< 1 MB", verdict(b < 1048576))
    }
    if (has("BM_UndoRefresh"))
        row("`BM_UndoRefresh` (one undo or redo with its refresh)", sprintf("%.3f ms", ms("BM_UndoRefresh") / 2),
            "< 2 ms", verdict(ms("BM_UndoRefresh") / 2 < 2))
    ratio("BM_PlayerFrame", "BM_QPainterScaledDraw", 0.25)
    below_ms("BM_PlayerFrame", 1, " (8x, onion skin)")
    figure("BM_PlayerFrameFirstRound", " (a sequence's first round)")
    ratio("BM_PlayerMoveStep", "BM_PlayerFrame", 1.5)
    ratio("BM_ExportSheet", "BM_QImageSavePng", 0.5)
    ratio("BM_ImportSheet", "BM_QImageLoadPng", 1.0)
    ratio("BM_ExternalEditReimport", "BM_ImportPng", 2)
    ratio("BM_AnimateGif", "BM_RenderSequenceSheet", 1.5)
    ratio("BM_AnimateApng", "BM_RenderSequenceSheet", 1.5)
    ratio("BM_LintMaxDocument", "BM_LoadSprite", 1.5)
    speedup("BM_EachUnpack/1", "BM_EachUnpack/2", 1.6)
    figure("BM_AnimateWebp", " (100 frames of 384 x 384)")
    if ("BM_EncodeCompact" in items) {
        rate = items["BM_EncodeCompact"] / 1e6
        row("`BM_EncodeCompact`", sprintf("%.1f M pixels/s", rate), ">= 300 M/s", verdict(rate >= 300))
    }
    if (sizeRatio != "")
        row("Max document compact / one-pixel file size", sprintf("%.3f", sizeRatio), "<= 0.45",
            verdict(sizeRatio <= 0.45))
    for (f = 1; f <= 16; f *= 4) {
        key = "BM_LoadScaling/" f
        if (has(key))
            row("`" key "` (" 240 * f " images)", sprintf("%.3f ms, %.2f us per image", ms(key), ns[key] / 1e3 / (240 * f)), "linear", "")
    }
    if (has("BM_LoadScaling/1") && has("BM_LoadScaling/16")) {
        g = (ns["BM_LoadScaling/16"] / 16) / ns["BM_LoadScaling/1"]
        row("Per-image load time at 16x / at 1x", sprintf("%.2f", g), "about 1", verdict(g < 1.25))
    }
}
