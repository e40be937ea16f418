#!/bin/sh
# Writes dabro-cli's man page: TEMPLATE with its line `.\" COMMANDS` replaced by the list of
# commands that `TOOL --help` prints ("  name usage" lines, each followed by an indented
# summary).
# Usage: make-cli-manpage.sh TOOL TEMPLATE OUT
set -eu
tool=$1 template=$2 out=$3
help=$("$tool" --help)
printf '%s\n' "$help" | grep -q '^Commands:' || { echo "$tool --help lists no commands" >&2; exit 1; }
printf '%s\n' "$help" | awk -v template="$template" '
    function roff(s, dashes) {
        gsub(/\\/, "\\e", s)
        if (dashes) gsub(/-/, "\\-", s)
        sub(/^[.'\'']/, "\\\\\\&&", s)
        return s
    }
    /^Commands:/ { listing = 1; next }
    !listing { next }
    /^      / { sub(/^ +/, ""); summary[n] = summary[n] (summary[n] == "" ? "" : " ") $0; next }
    /^  [^ ]/ {
        sub(/^  /, "")
        name[++n] = $1
        usage[n] = substr($0, length($1) + 2)
        next
    }
    END {
        while ((getline line < template) > 0) {
            if (line != ".\\\" COMMANDS") { print line; continue }
            for (i = 1; i <= n; ++i) {
                print ".TP"
                print "\\fB" roff(name[i], 1) "\\fR" (usage[i] == "" ? "" : " " roff(usage[i], 1))
                print roff(summary[i], 0)
            }
        }
    }' > "$out.tmp"
mv "$out.tmp" "$out"
