#!/usr/bin/env bash
# Checks an installed Dabro: every file in place, the desktop entry, the metainfo, the file type,
# the man pages and the completion valid and agreeing with one another, and the programs
# running from there with the expected version.
# Usage: check-install-tree.sh ROOT PREFIX VERSION [all|cli]
#   ROOT: the folder the files were put under (a DESTDIR, or an unpacked package)
#   PREFIX: the install prefix inside it (/usr for the package)
#   cli: a build without the window, which installs only the batch tool, its man page and completion
set -euo pipefail
root=$1 prefix=$2 version=$3 parts=${4:-all}
tree=$root$prefix
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
have() { command -v "$1" > /dev/null; }

sizes=(16 22 24 32 48 64 128 256)
expected=(bin/dabro-cli share/man/man1/dabro-cli.1.gz share/bash-completion/completions/dabro-cli)
programs=(dabro-cli) pages=(dabro-cli)
if [ "$parts" = cli ]; then
    # Nothing of the window: the tree holds exactly the batch tool's files.
    extra=$(cd "$tree" && find . -type f | sed 's|^\./||' | grep -vxF -f <(printf '%s\n' "${expected[@]}")) &&
        fail "a build without the window installed: $extra"
else
    expected+=(
        bin/dabro share/man/man1/dabro.1.gz
        share/applications/dabro.desktop
        share/mime/packages/dabro.xml
        share/icons/hicolor/scalable/apps/dabro.svg
    )
    for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/dabro.png"); done
    programs+=(dabro) pages+=(dabro)
fi
for f in "${expected[@]}"; do [ -f "$tree/$f" ] || fail "missing $prefix/$f"; done
for p in "${programs[@]}"; do [ -x "$tree/bin/$p" ] || fail "$prefix/bin/$p is not executable"; done
stray=$(find "$root" -type f ! -path "$tree/*")
[ -z "$stray" ] || fail "files outside $prefix: $stray"

# The programs run from the tree and print the version.
for p in "${programs[@]}"; do
    out=$(QT_QPA_PLATFORM=offscreen "$tree/bin/$p" --version) || fail "$p --version failed"
    [ "$out" = "$p $version" ] || fail "$p --version printed '$out'"
done

# The window's files: icons, file type, desktop entry and metainfo.
window_checks() {
    shopt -s nullglob
    metainfo=("$tree"/share/metainfo/*.metainfo.xml)
    [ ${#metainfo[@]} -eq 1 ] || fail "expected one metainfo file, found ${#metainfo[@]}"

    # Each bitmap icon has the size its folder names (PNG width and height at bytes 16 to 23).
    for s in "${sizes[@]}"; do
        png=$tree/share/icons/hicolor/${s}x${s}/apps/dabro.png
        [ -f "$png" ] || continue
        read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }')
        [ "$w x $h" = "$s x $s" ] || fail "$png is $w x $h"
    done

    # The file type, the desktop entry and the metainfo name the same type, icon and program.
    mime=$tree/share/mime/packages/dabro.xml
    desktop=$tree/share/applications/dabro.desktop
    if have xmllint; then
        xmllint --noout "$mime" || fail "$mime is not well-formed"
        type=$(xmllint --xpath 'string(//*[local-name()="mime-type"]/@type)' "$mime")
        magic=$(xmllint --xpath 'string(//*[local-name()="match"]/@value)' "$mime")
        [ "$magic" = '<sprite>\x004\x00' ] || fail "the file type's magic is '$magic'"
        grep -qx "MimeType=$type;" "$desktop" || fail "the desktop entry does not open $type"
        for m in "${metainfo[@]}"; do
            [ "$(xmllint --xpath 'string(//release/@version)' "$m")" = "$version" ] ||
                fail "the metainfo's release is not $version"
            [ "$(xmllint --xpath 'string(//provides/mediatype)' "$m")" = "$type" ] ||
                fail "the metainfo does not provide $type"
            [ "$(xmllint --xpath 'string(//launchable)' "$m")" = dabro.desktop ] ||
                fail "the metainfo does not launch dabro.desktop"
        done
    else
        echo "xmllint missing: XML not checked" >&2
    fi
    grep -qx 'Exec=dabro %f' "$desktop" || fail "the desktop entry does not run 'dabro %f'"
    grep -qx 'Icon=dabro' "$desktop" || fail "the desktop entry's icon is not dabro"
    if have desktop-file-validate; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate"
    else
        echo "desktop-file-validate missing: desktop entry not validated" >&2
    fi
    if have appstreamcli; then
        for m in "${metainfo[@]}"; do
            appstreamcli validate --no-net "$m" || fail "appstreamcli validate"
        done
    else
        echo "appstreamcli missing: metainfo not validated" >&2
    fi
}
[ "$parts" = cli ] || window_checks

# The man pages unpack, have a name line, and format without a warning.
for page in "${pages[@]}"; do
    gz=$tree/share/man/man1/$page.1.gz
    [ -f "$gz" ] || continue
    gzip -t "$gz" || fail "$gz is not gzip"
    zcat "$gz" | grep -qx '.SH NAME' || fail "$gz has no NAME section"
    if have groff; then
        warnings=$(zcat "$gz" | groff -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$gz: $warnings"
    fi
done

# The completion offers the commands, and a command's options, from the installed tool.
completion=$tree/share/bash-completion/completions/dabro-cli
if [ -f "$completion" ]; then
    complete_words() {
        PATH="$tree/bin:$PATH" bash -c 'source "$1"; shift; COMP_WORDS=("$@")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _dabro_cli; printf "%s\n" "${COMPREPLY[@]}"' \
            _ "$completion" "$@"
    }
    commands=$(complete_words dabro-cli "")
    for c in dump resave --help --version; do
        grep -qx -- "$c" <<< "$commands" || fail "completion of a command lacks $c"
    done
    [ "$(complete_words dabro-cli res)" = resave ] || fail "'res' does not complete to resave"
    options=$(complete_words dabro-cli import-raw in.spr --)
    for o in --raw --by-name --help; do
        grep -qx -- "$o" <<< "$options" || fail "import-raw's options lack $o"
    done
    [ -z "$(complete_words dabro-cli dump "")" ] || fail "a file argument offered words, not files"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failures in $tree" >&2
    exit 1
fi
echo "install tree $tree: all checks passed"
