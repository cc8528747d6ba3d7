#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: the desktop file, the AppStream
# metainfo and the manual pages are validated, lintian reports no errors, and the installed
# programs run against a scratch database and find their templates and manual.
# As root the package is installed with apt (dpkg -i plus its dependencies) and removed at the
# end, and the file type and default application are checked with xdg-mime; otherwise, or with
# CORVANE_PACKAGE_SCRATCH=1, it is unpacked into a scratch root with dpkg -x instead.
#   scripts/package-test.sh [DEB]     (with DEB: checks that package instead of building one)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
    scripts/install-deps.sh --packaging
    deb=$(realpath "$1")
else
    deb=$(scripts/package.sh | tail -n 1)
fi
echo "Package: $deb"

work=$(mktemp -d)
installed=no
cleanup() {
    if [ "$installed" = yes ]; then dpkg -r corvane >/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; }

# The desktop file and metainfo as written.
desktop-file-validate packaging/corvane.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net packaging/*.metainfo.xml || fail "appstreamcli validate"

# lintian: errors fail the check; warnings are printed.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

# Installed or unpacked.
if [ "$(id -u)" -eq 0 ] && [ "${CORVANE_PACKAGE_SCRATCH:-0}" != 1 ]; then
    if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q 'install ok installed'; then
        fail "corvane is installed already; the check installs and removes it itself"
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" >/dev/null
    installed=yes
    root=
else
    dpkg -x "$deb" "$work/root"
    root="$work/root"
fi
bin="$root/usr/bin"
share="$root/usr/share"

# A private home: settings and data of the check's own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$work"

version=$("$bin/corvane-cli" --version) || fail "corvane-cli --version"
echo "$version" | grep -q '3\.' || fail "corvane-cli --version printed '$version'"
db="$work/Scratch Pipeline.mdb"
"$bin/corvane-cli" new "$db" || fail "corvane-cli new"
"$bin/corvane-cli" list "$db" --all >/dev/null || fail "corvane-cli list"
"$bin/corvane-cli" report "$db" Summary "$work/summary.pdf" || fail "corvane-cli report"
head -c 5 "$work/summary.pdf" | grep -q '^%PDF-' || fail "the report is not a PDF"
[ -f "$share/corvane/manual/index.html" ] || fail "the manual's index page is missing"
for size in 16x16 32x32 48x48 256x256 scalable; do
    ls "$share/icons/hicolor/$size/apps/corvane."* >/dev/null || fail "no $size icon"
done
for page in corvane corvane-cli; do
    file="$share/man/man1/$page.1.gz"
    [ -f "$file" ] || fail "no manual page $page"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $file: $warnings"
    zcat "$file" | grep -qF "Corvane ${version##* }" || fail "$page's page names another version"
done

# The window opens the database named on its command line, and keeps running.
inotifywait -e open -t 60 "$db" >"$work/opened.log" 2>&1 &
watch=$!
for _ in $(seq 100); do grep -q 'Watches established' "$work/opened.log" && break; sleep 0.1; done
"$bin/corvane" "$db" >"$work/gui.log" 2>&1 &
gui=$!
opened=no
if wait "$watch" && grep -q OPEN "$work/opened.log"; then opened=yes; fi
sleep 1
kill -0 "$gui" 2>/dev/null || opened="no (it ended)"
kill "$gui" 2>/dev/null || true
wait "$gui" 2>/dev/null || true
[ "$opened" = yes ] || { cat "$work/gui.log" >&2; fail "the window did not open $db: $opened"; }

# Tab completion of corvane-cli's commands and report templates.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    complete_words() {
        PATH="$bin:$PATH" bash -c 'source /usr/share/bash-completion/bash_completion
            source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
            COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}; _corvane_cli; echo "${COMPREPLY[*]}"' \
            _ "$share/bash-completion/completions/corvane-cli" "$@"
    }
    [ "$(complete_words corvane-cli rep)" = report ] || fail "completion of a command"
    [ "$(complete_words corvane-cli report x.mdb Sum)" = Summary ] || fail "completion of a template"
    [ "$(complete_words corvane-cli list x.mdb --a)" = --all ] || fail "completion of an option"
    [ "$(complete_words corvane-cli list x.mdb --sort Reve)" = Revenue ] || fail "completion of a key"
    [ "$(complete_words corvane-cli import x.mdb d.csv --duplicates up)" = update ] ||
        fail "completion of a duplicate choice"
else
    skip "bash-completion is not installed: completion not checked"
fi

# The file type of a database, and the program that opens it.
if [ "$installed" = yes ]; then
    type=$(xdg-mime query filetype "$db")
    [ "$type" = application/x-corvane-database ] || fail "xdg-mime query filetype gave '$type'"
    printf '\0\1\0\0Standard Jet DB\0' >"$work/other.mdb"
    type=$(xdg-mime query filetype "$work/other.mdb")
    [ "$type" != application/x-corvane-database ] || fail "a non-SQLite .mdb is claimed"
    app=$(xdg-mime query default application/x-corvane-database)
    [ "$app" = corvane.desktop ] || fail "xdg-mime query default gave '$app'"
else
    skip "unpacked, not installed: file type and default application not checked"
fi
echo "The package checks passed."
