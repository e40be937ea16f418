#!/bin/sh
# Writes dabro-cli's man page: TEMPLATE with its line `.\" COMMANDS` replaced by the list of
# commands that `TOOL --help` prints ("  name usage" lines, each followed by an indented
# summary), each with the options its `TOOL name --help` lists after "Options:".
# Usage: make-cli-manpage.sh TOOL TEMPLATE OUT
set -eu
tool=$1 template=$2 out=$3
help=$("$tool" --help)
printf '%s\n' "$help" | grep -q '^Commands:' || { echo "$tool --help lists no commands" >&2; exit 1; }
# Each command's options, after a line "COMMAND name".
for name in $(printf '%s\n' "$help" | awk '/^Commands:/ { on = 1; next } on && /^  [^ -]/ { print $1 }'); do
    printf 'COMMAND %s\n' "$name"
    "$tool" "$name" --help | sed -n '/^Options:/,$p' | sed 1d
done > "$out.options"
printf '%s\n' "$help" | awk -v template="$template" -v options="$out.options" '
    function roff(s, dashes) {
        gsub(/\\/, "\\e", s)
        if (dashes) gsub(/-/, "\\-", s)
        sub(/^[.'\'']/, "\\\\\\&&", s)
        return s
    }
    BEGIN {
        while ((getline line < options) > 0) {
            if (line ~ /^COMMAND /) { command = substr(line, 9); continue }
            if (line ~ /^      /) { sub(/^ +/, "", line); listed[command] = listed[command] roff(line, 0) "\n"; continue }
            sub(/^  /, "", line)
            split(line, word, " ")
            arg = substr(line, length(word[1]) + 2)
            listed[command] = listed[command] ".TP\n\\fB" roff(word[1], 1) "\\fR" (arg == "" ? "" : " \\fI" roff(arg, 1) "\\fR") "\n"
        }
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
                if (listed[name[i]] != "") printf ".RS\n%s.RE\n", listed[name[i]]
            }
        }
    }' > "$out.tmp"
rm -f "$out.options"
mv "$out.tmp" "$out"
