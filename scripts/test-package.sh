#!/usr/bin/env bash
# Makes the Debian package from an existing build (build/ or the folder given), checks its
# file list and control fields, unpacks it into a throw-away root and runs what it installed:
# tarnwick-convert --version and --help, the desktop entry and AppStream checks, and (as root)
# one conversion inside that root, which must keep its settings in the user's folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-${TARNWICK_BUILD_DIR:-$root/build}}" && pwd)"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
fail() {
  echo "package test: $*" >&2
  exit 1
}

rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/tarnwick_*.deb)"
[[ "$(basename "$deb")" == "tarnwick_${version}_$(dpkg --print-architecture).deb" ]] ||
  fail "unexpected package name $deb"

actual="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)"
expected="$(sort <<'LIST'
./usr/bin/tarnwick
./usr/bin/tarnwick-convert
./usr/share/applications/example.tarnwick.Tarnwick.desktop
./usr/share/doc/tarnwick/README.md
./usr/share/doc/tarnwick/changelog.gz
./usr/share/doc/tarnwick/copyright
./usr/share/icons/hicolor/128x128/apps/tarnwick.png
./usr/share/icons/hicolor/256x256/apps/tarnwick.png
./usr/share/icons/hicolor/48x48/apps/tarnwick.png
./usr/share/icons/hicolor/64x64/apps/tarnwick.png
./usr/share/icons/hicolor/scalable/apps/tarnwick.svg
./usr/share/man/man1/tarnwick-convert.1.gz
./usr/share/man/man1/tarnwick.1.gz
./usr/share/metainfo/example.tarnwick.Tarnwick.metainfo.xml
LIST
)"
[[ "$actual" == "$expected" ]] || fail "file list differs:
$(diff <(echo "$expected") <(echo "$actual") || true)"

depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libqt6widgets6 libqt6network6; do
  [[ "$depends" == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "wrong version"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$deb" "$unpacked"
usr="$unpacked/usr"
[[ "$("$usr/bin/tarnwick-convert" --version)" == "tarnwick-convert $version" ]] ||
  fail "--version"
"$usr/bin/tarnwick-convert" --help | grep -q '^usage: tarnwick-convert ' || fail "--help"
desktop-file-validate "$usr/share/applications/example.tarnwick.Tarnwick.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/example.tarnwick.Tarnwick.metainfo.xml" \
  >/dev/null || fail "appstreamcli validate"
for size in 48 64 128 256; do
  # A PNG's width and height are 32-bit numbers at bytes 16 to 23.
  read -r -a dims <<<"$(od -An -tu1 -j16 -N8 "$usr/share/icons/hicolor/${size}x$size/apps/tarnwick.png")"
  ((dims[2] * 256 + dims[3] == size && dims[6] * 256 + dims[7] == size)) ||
    fail "icon ${size}x$size has another size"
done

# The installed tarnwick-convert in a root of its own, with the libraries it needs and /proc in
# a private mount: its settings go to the user's folder, nothing beside the program.
if [[ $EUID -eq 0 ]] && command -v unshare >/dev/null; then
  while read -r library; do
    cp --parents -L "$library" "$unpacked"
  done < <(ldd "$usr/bin/tarnwick-convert" | awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}')
  mkdir -p "$unpacked/proc" "$unpacked/home/ann" "$unpacked/webs"
  cp -a "$root/examples/sample-web" "$unpacked/webs/"
  HOME=/home/ann unshare -m sh -c 'mount -t proc proc "$1/proc" &&
    chroot "$1" /usr/bin/tarnwick-convert --quiet /webs/sample-web' sh "$unpacked" ||
    fail "the installed tarnwick-convert did not convert"
  [[ -s "$unpacked/home/ann/.local/share/Tarnwick/settings.db" ]] ||
    fail "no settings.db in the user's folder"
  [[ "$(ls "$usr/bin")" == $'tarnwick\ntarnwick-convert' ]] ||
    fail "files written beside the installed program: $(ls "$usr/bin")"
  [[ -f "$unpacked/webs/sample-web-FTP/index.htm" ]] || fail "no FTP web"
fi
echo "package test: $(basename "$deb") passed"
