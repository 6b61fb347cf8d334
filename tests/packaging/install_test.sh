#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: launcher,
# binary, every data file, desktop entry, metainfo, icons, manual; makes the
# .deb from the same build and checks its contents and dependencies; then
# starts the installed launcher from an unrelated folder, sees the menu's
# pictures read and ends it with SIGTERM. Skips (77) where a tool is missing.
# Usage: install_test.sh BUILD_DIR (run from the repository root)
set -u
build=$1
root=$(pwd)
for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli inotifywait cpack; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
tmp=$(mktemp -d)
pid=""
watcher=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install"; }

[ -x "$prefix/bin/tubrix" ] || fail "no executable launcher bin/tubrix"
[ -x "$prefix/lib/tubrix/tubrix" ] || fail "no binary lib/tubrix/tubrix"
files=0
while IFS= read -r f; do
    files=$((files + 1))
    cmp -s "$root/$f" "$prefix/share/tubrix/$f" || fail "share/tubrix/$f missing or different"
done < <(cd "$root" && find images wavs mp3s -type f | sort)
[ "$files" -gt 50 ] || fail "only $files data files in the repository"
[ "$(cd "$prefix/share/tubrix" && find . -type f | wc -l)" -eq "$files" ] || fail "stray files in share/tubrix"

desktop=$prefix/share/applications/org.tubrix.Tubrix.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx 'Categories=Game;BlocksGame;' "$desktop" || fail "desktop categories"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tubrix.Tubrix.metainfo.xml" >"$tmp/as.log" ||
    { cat "$tmp/as.log"; fail "metainfo"; }
for size in 48 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tubrix.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w $h" = "$size $size" ] || fail "icon $size is $w x $h"
done
zcat "$prefix/share/man/man6/tubrix.6.gz" | grep -q '^\.SH CONSOLE COMMANDS' || fail "manual page"
strays=$(find "$prefix" -name '*test*' -o -name '*bench*')
[ -z "$strays" ] || fail "tests or benchmarks installed: $strays"

# The package holds the same tree under /usr and names its libraries' packages.
(cd "$build" && cpack -G DEB -B "$tmp/deb" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/deb/tubrix_*.deb) || fail "no .deb made"
dpkg-deb --info "$deb" >"$tmp/info" || fail "dpkg-deb --info"
for dep in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 libfreetype6 libfontconfig1 libenet7 libx11-6 fonts-dejavu-core; do
    grep -q "^ Depends:.*$dep" "$tmp/info" || { cat "$tmp/info"; fail "Depends lacks $dep"; }
done
grep -q '^ Section: games' "$tmp/info" || fail "section"
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's#^\./#/#' | grep -v '/$' | sort >"$tmp/debfiles"
(cd "$prefix" && find . -type f -o -type l | sed 's#^\.#/usr#' | sort) >"$tmp/installed"
diff "$tmp/installed" "$tmp/debfiles" || fail "the .deb and the install differ"

# The launcher, started elsewhere, finds its data: the menu's last picture is
# read, and the game leaves on SIGTERM with status 0 and no report.
mkdir "$tmp/elsewhere"
inotifywait -m -e open --format '%f' "$prefix/share/tubrix/images" >"$tmp/opens" 2>"$tmp/watch" &
watcher=$!
for _ in $(seq 300); do
    grep -q 'Watches established' "$tmp/watch" && break
    sleep 0.1
done
grep -q 'Watches established' "$tmp/watch" || fail "inotifywait did not start"
(cd "$tmp/elsewhere" && exec "$prefix/bin/tubrix" </dev/null >"$tmp/out" 2>"$tmp/err") &
pid=$!
for _ in $(seq 600); do
    grep -qx 'instruction_button-3-1-3.png' "$tmp/opens" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
grep -qx 'instruction_button-3-1-3.png' "$tmp/opens" || { cat "$tmp/err"; fail "the menu's pictures were never read"; }
kill -TERM "$pid"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || { cat "$tmp/err"; fail "exit status $status on SIGTERM"; }
if grep -q 'Quit Program?' "$tmp/err"; then
    cat "$tmp/err"
    fail "an error was reported"
fi
echo "install tree, package and launcher: ok ($files data files)"
