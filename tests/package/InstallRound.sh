#!/usr/bin/env bash
# Installs the package with apt as a user would, checks that the system knows the snapshots'
# file type, runs both programs from /usr/bin (the window program through its end-to-end
# test under Xvfb, without and with a window manager), removes it with --purge and checks
# that none of its files is left. Needs root; the package is removed again also when a check
# fails.
# Usage: InstallRound.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
# shellcheck source-path=SCRIPTDIR
. "$here/Checks.sh"
export DEBIAN_FRONTEND=noninteractive

installed=
remove() { apt-get remove --purge -y -q kvorax >/dev/null; }
trap '[ -z "$installed" ] || remove' EXIT
apt-get install -y -q "$deb" >/dev/null
installed=yes
files=$(dpkg -L kvorax)

[ "$(command -v kvorax)" = /usr/bin/kvorax ] || fail "kvorax is not found on the PATH"
[ -f /usr/share/applications/com.kvorax.Kvorax.desktop ] || fail "no menu entry"
# shared-mime-info's trigger compiles the file type into the system's database.
snapshot_glob='application/x-kvorax-snapshot:*.kvx'
grep -qF "$snapshot_glob" /usr/share/mime/globs2 || fail "the system does not know *.kvx"
check_runner /usr/bin/kvorax-run
bash "$here/../app/WindowEndToEnd.sh" /usr/bin/kvorax || fail "the installed kvorax"
bash "$here/../app/WindowEndToEnd.sh" --window-manager /usr/bin/kvorax ||
    fail "the installed kvorax under a window manager"

remove
installed=
grep -qF "$snapshot_glob" /usr/share/mime/globs2 && fail "the system still knows *.kvx"
# Every file is gone; a folder is left only when another package owns it too.
while read -r path; do
    [ "$path" = /. ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg -S "$path" >/dev/null 2>&1 || fail "apt-get remove --purge left the folder $path"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "apt-get remove --purge left $path"
    fi
done <<<"$files"

[ "$failures" -eq 0 ] || exit 1
echo "package installed, run and removed: passed ($(wc -l <<<"$files") paths)"
