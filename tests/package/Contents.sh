#!/usr/bin/env bash
# Checks the Debian package unpacked into a folder: which files it installs, the menu entry,
# the metainfo and the man pages, the versions they name, the dependencies, and that the
# programs run from there and refer to no build folder.
# Usage: Contents.sh PACKAGE.deb UNPACKED-FOLDER SOURCE-FOLDER
set -euo pipefail
deb=$1 root=$2 source=$(realpath "$3")
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/Checks.sh"
id=com.kvorax.Kvorax
share=$root/usr/share
version=$(dpkg-deb -f "$deb" Version)

# Exactly these files: the tests, the benchmark and the fuzzers are not installed.
expected="usr/bin/kvorax
usr/bin/kvorax-run
usr/share/applications/$id.desktop
usr/share/doc/kvorax/changelog.gz
usr/share/doc/kvorax/copyright
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/kvorax-run.1.gz
usr/share/man/man1/kvorax.1.gz
usr/share/metainfo/$id.metainfo.xml
usr/share/mime/packages/$id.xml"
actual=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] ||
    fail "installed files differ: $(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]')"

# The hand-written files name the release the package is built as.
metainfo=$share/metainfo/$id.metainfo.xml
release=$(grep -m1 -o '<release version="[^"]*" date="[^"]*"' "$metainfo")
[[ "$release" == "<release version=\"$version\" "* ]] ||
    fail "metainfo's newest release: $release, package $version"
changelog=$(zcat "$share/doc/kvorax/changelog.gz")
[[ "$(head -1 <<<"$changelog")" == "kvorax ($version) "* ]] ||
    fail "changelog begins: $(head -1 <<<"$changelog")"
changelog_date=$(date -u -d "$(sed -n 's/^ -- .*>  //p' <<<"$changelog" | head -1)" +%F)
[[ "$release" == *"date=\"$changelog_date\"" ]] ||
    fail "metainfo's release date is not the changelog's $changelog_date"
for page in kvorax kvorax-run; do
    zgrep -q "^\.TH .* \"Kvorax $version\"" "$share/man/man1/$page.1.gz" ||
        fail "$page(1) does not name Kvorax $version"
done

# Menu entry: valid, started by name from the PATH with the installed icon, and without a
# Path key, so that the desktop starts the program in the home folder.
desktop=$share/applications/$id.desktop
# Its hint that Education and Science are both main categories is accepted: the categories
# are the ones this entry is meant to be listed under.
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate refuses: $out"
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Exec)" = kvorax ] || fail "Exec=$(key Exec)"
[ "$(key Icon)" = "$id" ] || fail "Icon=$(key Icon)"
[ "$(key 'Categories')" = "Education;Science;Astronomy;" ] || fail "Categories=$(key Categories)"
[ -n "$(key 'Name\[ru\]')" ] || fail "no Russian Name"
[ -n "$(key 'Comment\[ru\]')" ] || fail "no Russian Comment"
grep -q '^Path=' "$desktop" && fail "the menu entry sets a working folder"
# The program takes no file to open, so the entry claims no file type.
grep -q '^MimeType=' "$desktop" && fail "the menu entry names file types: $(key MimeType)"
[ "$(file -b --mime-type "$share/icons/hicolor/scalable/apps/$id.svg")" = image/svg+xml ] ||
    fail "the icon is not an SVG image"

# The snapshots' file type, compiled as the system compiles it: *.kvx, with an English and a
# Russian comment.
mime=$(mktemp -d)
mkdir "$mime/packages"
cp "$share/mime/packages/$id.xml" "$mime/packages/"
out=$(update-mime-database "$mime" 2>&1) || fail "update-mime-database refuses: $out"
type=application/x-kvorax-snapshot
grep -qx "50:$type:\*\.kvx" "$mime/globs2" || fail "no *.kvx in globs2: $(cat "$mime/globs2")"
grep -q '<comment>Kvorax snapshot</comment>' "$mime/$type.xml" ||
    fail "the file type has no English comment"
grep -q '<comment xml:lang="ru">Снимок Кворакса</comment>' "$mime/$type.xml" ||
    fail "the file type has no Russian comment"
rm -rf "$mime"

out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli refuses: $out"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"

# Man pages render without a warning, and kvorax-run(1) has every option of --help.
for page in kvorax kvorax-run; do
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" \
        2>"$root.err") || fail "man -l $page.1.gz failed"
    [ ! -s "$root.err" ] || fail "man -l $page.1.gz warns: $(cat "$root.err")"
    for section in NAME DESCRIPTION "SEE ALSO"; do
        grep -q "^$section" <<<"$text" || fail "$page(1) rendered without $section"
    done
    [ "$page" = kvorax-run ] && runner_page=$text
done
rm -f "$root.err"
for option in $("$root/usr/bin/kvorax-run" --help | grep -o -- '--[a-z-]*' | sort -u); do
    grep -q -- "$option\b" <<<"$runner_page" || fail "kvorax-run(1) lacks $option"
done

# Every library the programs load directly belongs to a package the package depends on.
depends=$(dpkg-deb -f "$deb" Depends)
[[ ", $depends," == *", fonts-liberation2,"* || ", $depends," == *", fonts-liberation2 ("* ]] ||
    fail "Depends lacks fonts-liberation2: $depends"
for program in kvorax kvorax-run; do
    for library in $(objdump -p "$root/usr/bin/$program" | awk '$1 == "NEEDED" { print $2 }'); do
        path=$(ldd "$root/usr/bin/$program" | awk -v l="$library" '$1 == l { print $3 }')
        owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -1 | cut -d: -f1) ||
            owner=$(dpkg -S "$path" | head -1 | cut -d: -f1)
        [[ ", $depends" == *", $owner "* || ", $depends," == *", $owner,"* ]] ||
            fail "$program needs $library from $owner, which Depends lacks"
    done
    # The program looks nothing up by the folder it was built in.
    readelf -d "$root/usr/bin/$program" | grep -qE 'RPATH|RUNPATH' && fail "$program has a run path"
done
found=$(grep -rlF "$source" "$root" || true)
[ -z "$found" ] || fail "the build folder $source is named in: $found"

check_runner "$root/usr/bin/kvorax-run"

[ "$failures" -eq 0 ] || exit 1
echo "package contents: passed ($(echo "$actual" | wc -l) files, $version)"
