#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: launcher,
# binary, every data file, desktop entries, the replay files' type, metainfo,
# icons, manual, copyright and changelog; the relay, its manual and its
# service, which starts and stops on SIGTERM; makes the .deb from the same
# build and checks its contents, fields and dependencies, with lintian; then
# starts the installed launcher from an unrelated folder, sees the menu's
# pictures read and ends it with SIGTERM, and again with a replay named
# relative to that folder, seeing it read. Skips (77) where a tool the test
# needs is missing; a validator that is missing (lintian, appstreamcli,
# desktop-file-validate, python3-debian's DEP-5 parser, gio and
# update-mime-database) skips its own check alone and says so.
# Usage: install_test.sh BUILD_DIR (run from the repository root)
set -u
build=$1
root=$(pwd)
for tool in dpkg-deb dpkg-shlibdeps dpkg-parsechangelog inotifywait cpack; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
have() {
    command -v "$1" >/dev/null && return 0
    echo "skipped: $2, as $1 is not installed"
    return 1
}
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
# appears FILE TENTHS GREP-ARGS...: whether grep finds them in FILE within
# TENTHS tenths of a second, giving up early once $pid, if set, has ended.
appears() {
    local file=$1 tenths=$2
    shift 2
    for _ in $(seq "$tenths"); do
        grep -q "$@" "$file" && return 0
        [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && break
        sleep 0.1
    done
    grep -q "$@" "$file"
}
# stopped_cleanly: SIGTERM to $pid, and whether it then left with status 0.
stopped_cleanly() {
    kill -TERM "$pid"
    wait "$pid"
    local status=$?
    pid=""
    [ "$status" -eq 0 ] || { echo "exit status $status on SIGTERM"; return 1; }
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install"; }

[ -x "$prefix/games/tubrix" ] || fail "no executable launcher games/tubrix"
[ -x "$prefix/lib/tubrix/tubrix" ] || fail "no binary lib/tubrix/tubrix"
files=0
while IFS= read -r f; do
    files=$((files + 1))
    cmp -s "$root/$f" "$prefix/share/tubrix/$f" || fail "share/tubrix/$f missing or different"
done < <(cd "$root" && find images wavs mp3s -type f | sort)
[ "$files" -gt 50 ] || fail "only $files data files in the repository"
[ "$(cd "$prefix/share/tubrix" && find . -type f | wc -l)" -eq "$files" ] || fail "stray files in share/tubrix"

desktop=$prefix/share/applications/org.tubrix.Tubrix.desktop
opener=$prefix/share/applications/org.tubrix.Tubrix.Replay.desktop
if have desktop-file-validate "the desktop entries' validation"; then
    desktop-file-validate "$desktop" "$opener" || fail "desktop entry"
fi
grep -qx 'Categories=Game;BlocksGame;' "$desktop" || fail "desktop categories"
# Replay files open in the game from a file manager, through an entry kept
# out of the menus, and are known by name and by their first line alone.
replay_type=application/x-tubrix-replay
for line in "Exec=tubrix --replay %f" "MimeType=$replay_type;" "NoDisplay=true"; do
    grep -qx "$line" "$opener" || fail "the replay entry lacks $line"
done
grep -q "<mime-type type=\"$replay_type\">" "$prefix/share/mime/packages/tubrix.xml" ||
    fail "share/mime/packages/tubrix.xml does not define $replay_type"
if have update-mime-database "the replay type's check" && have gio "the replay type's check"; then
    mkdir -p "$tmp/types" "$tmp/home" "$tmp/files"
    cp -r "$prefix/share/mime" "$tmp/types/" || fail "copying share/mime"
    update-mime-database "$tmp/types/mime" >"$tmp/types.log" 2>&1 || { cat "$tmp/types.log"; fail "update-mime-database"; }
    cp "$root/tests/corpus/game-000.tbreplay" "$tmp/files/shared.tbreplay"
    cp "$root/tests/corpus/game-000.tbreplay" "$tmp/files/attachment"
    for f in shared.tbreplay attachment; do
        type=$(XDG_DATA_HOME=$tmp/home XDG_DATA_DIRS=$tmp/types:/usr/share \
            gio info -a standard::content-type "$tmp/files/$f" | sed -n 's/^ *standard::content-type: //p')
        [ "$type" = "$replay_type" ] || fail "a replay file called $f is of the type '$type'"
    done
fi

# The metainfo as installed, and as made where the repository's files are
# served: its screenshot must then name a file the repository holds.
metainfo=$prefix/share/metainfo/org.tubrix.Tubrix.metainfo.xml
raw=https://example.org/tubrix/raw
cmake -DTUBRIX_METAINFO="$tmp/web.xml" -DTUBRIX_RAW_URL=$raw -P "$root/packaging/metainfo.cmake" ||
    fail "metainfo with a web address"
shots=$(sed -n 's#.*<image>\(.*\)</image>.*#\1#p' "$tmp/web.xml")
[ -n "$shots" ] || fail "no screenshot where the repository is served"
for url in $shots; do
    [ -f "$root/${url#"$raw"/}" ] || fail "screenshot $url: no such file in the repository"
done
if have appstreamcli "the metainfo's validation"; then
    for xml in "$metainfo" "$tmp/web.xml"; do
        appstreamcli validate --no-net "$xml" >"$tmp/as.log" 2>&1 && ! grep -q '^[EW]:' "$tmp/as.log" ||
            { cat "$tmp/as.log"; fail "metainfo $xml"; }
    done
fi
for icon in {48,128,256}/{apps/tubrix,mimetypes/application-x-tubrix-replay}; do
    size=${icon%%/*}
    icon=$prefix/share/icons/hicolor/${size}x$size/${icon#*/}.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w $h" = "$size $size" ] || fail "icon $icon is $w x $h"
done
zcat "$prefix/share/man/man6/tubrix.6.gz" | grep -q '^\.SH CONSOLE COMMANDS' || fail "manual page"
# The relay: its program, manual and a service that runs it unprivileged,
# which nothing enables on installation.
relay=$prefix/games/tubrix-relay
[ -x "$relay" ] || fail "no executable games/tubrix-relay"
zcat "$prefix/share/man/man6/tubrix-relay.6.gz" | grep -q '^\.SH OPTIONS' || fail "the relay's manual page"
unit=$prefix/lib/systemd/system/tubrix-relay.service
for line in 'ExecStart=/usr/games/tubrix-relay' 'DynamicUser=yes' 'NoNewPrivileges=yes' \
    'ProtectSystem=strict' 'WantedBy=multi-user.target'; do
    grep -qx "$line" "$unit" || fail "the relay's unit lacks $line"
done
"$relay" --version | grep -q "^tubrix-relay $(sed -n 's/^project(Tubrix VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt") " ||
    fail "the relay's version"
"$relay" --port 0 >/dev/null 2>&1 && fail "the relay took port 0"
"$relay" --port $((20000 + RANDOM % 20000)) 2>"$tmp/relay.err" &
pid=$!
appears "$tmp/relay.err" 100 'listening on UDP port' || { cat "$tmp/relay.err"; fail "the relay did not start"; }
stopped_cleanly || fail "the relay's exit status on SIGTERM"
strays=$(find "$prefix" -name '*test*' -o -name '*bench*')
[ -z "$strays" ] || fail "tests or benchmarks installed: $strays"
# The copyright file says no font is shipped; the generated data is covered
# by the paragraph that names its generator.
fonts=$(find "$prefix" -iname '*.ttf' -o -iname '*.otf' -o -iname '*.pfb' -o -iname '*.woff*')
[ -z "$fonts" ] || fail "fonts installed: $fonts"
doc=$prefix/share/doc/tubrix
head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not machine-readable"
if /usr/bin/python3 -c 'import debian.copyright' 2>/dev/null; then
    (cd "$root" && find images wavs mp3s packaging/icons -type f) | /usr/bin/python3 -c '
import sys
from debian.copyright import Copyright
c = Copyright(open(sys.argv[1]), strict=True)
texts = {p.license.synopsis for p in c.all_license_paragraphs()}
for p in c.all_files_paragraphs():
    if not p.license.text and p.license.synopsis not in texts:
        sys.exit("no text for the licence " + p.license.synopsis)
for f in sys.stdin.read().split():
    if "tools/make_assets.py" not in (c.find_files_paragraph(f).comment or ""):
        sys.exit(f + " is not under the generated data\x27s paragraph")
' "$doc/copyright" || fail "copyright file"
else
    echo "skipped: the copyright file's parse, as python3-debian is not installed"
fi

# The package holds the same tree under /usr and names its libraries' packages.
(cd "$build" && cpack -G DEB -B "$tmp/deb" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/deb/tubrix_*.deb) || fail "no .deb made"
dpkg-deb --info "$deb" >"$tmp/info" || fail "dpkg-deb --info"
for dep in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 libfreetype6 libfontconfig1 libenet7 libx11-6 fonts-dejavu-core; do
    grep -q "^ Depends:.*$dep" "$tmp/info" || { cat "$tmp/info"; fail "Depends lacks $dep"; }
done
grep -q '^ Section: games' "$tmp/info" || fail "section"
maintainer=$(dpkg-deb --field "$deb" Maintainer)
[[ "$maintainer" =~ ^[^\<]+\ \<[^@\ ]+@[^@\ ]+\.[a-z]+\>$ ]] || fail "maintainer '$maintainer' has no address"
# The changelog's last entry is this package's version, and the metainfo's
# release is the same day.
zcat "$doc/changelog.gz" >"$tmp/changelog" || fail "changelog.gz"
[ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$(dpkg-deb --field "$deb" Version)" ] ||
    fail "the changelog's last version is not the package's"
day=$(date -u -d "$(dpkg-parsechangelog -l "$tmp/changelog" -S Date)" +%F)
grep -q "<release version=\"$(dpkg-deb --field "$deb" Version)\" date=\"$day\"/>" "$metainfo" ||
    fail "the metainfo's release is not the changelog's ($day)"
if have lintian "lintian's check of the package"; then
    lintian --info --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian"; }
fi
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'postinst' && fail "the package has a postinst: the relay must not be enabled"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's#^\./#/#' | grep -v '/$' | sort >"$tmp/debfiles"
(cd "$prefix" && find . -type f -o -type l | sed 's#^\.#/usr#' | sort) >"$tmp/installed"
diff "$tmp/installed" "$tmp/debfiles" || fail "the .deb and the install differ"

# launch_and_see DIR FILE [ARG...]: the launcher, started with ARGs from a
# folder of its own (per-user folders inside it), reads FILE in DIR, and the
# game leaves on SIGTERM with status 0 and no report.
mkdir "$tmp/elsewhere"
launch_and_see() {
    local dir=$1 file=$2
    shift 2
    inotifywait -m -e open --format '%f' "$dir" >"$tmp/opens" 2>"$tmp/watch" &
    watcher=$!
    appears "$tmp/watch" 300 'Watches established' || fail "inotifywait did not start"
    (cd "$tmp/elsewhere" && XDG_CONFIG_HOME=$PWD/config XDG_DATA_HOME=$PWD/data \
        exec "$prefix/games/tubrix" "$@" </dev/null >"$tmp/out" 2>"$tmp/err") &
    pid=$!
    appears "$tmp/opens" 600 -x "$file" || { cat "$tmp/err"; fail "$file was never read (arguments: $*)"; }
    stopped_cleanly || { cat "$tmp/err"; fail "the game's exit status on SIGTERM"; }
    if grep -q 'Quit Program?' "$tmp/err"; then
        cat "$tmp/err"
        fail "an error was reported"
    fi
    kill "$watcher"
    wait "$watcher" 2>/dev/null
    watcher=""
}
# The launcher finds its data: the menu's last picture is read.
launch_and_see "$prefix/share/tubrix/images" instruction_button-3-1-3.png
# A replay named relative to where the game was started is found, although
# the launcher moves to the data folder before the game starts.
mkdir "$tmp/elsewhere/shared"
cp "$root/tests/corpus/game-000.tbreplay" "$tmp/elsewhere/shared/"
launch_and_see "$tmp/elsewhere/shared" game-000.tbreplay --replay shared/game-000.tbreplay
echo "install tree, package and launcher: ok ($files data files)"
