#!/usr/bin/env bash
# Fetches Debian's source package of gumbo (the HTML parser of the site check) and unpacks it,
# patches applied, into DEST, for builds that cannot use the libgumbo-dev of this machine (the
# Windows build). Uses apt with a private configuration in DEST's parent, so the machine's own
# sources and lists stay as they are. Nothing is done when DEST already holds the sources.
set -euo pipefail
dest="$1"
[[ -f "$dest/src/gumbo.h" ]] && exit 0
work="$(dirname "$dest")/gumbo-apt"
rm -rf "$work" "$dest"
mkdir -p "$work/lists/partial" "$work/archives/partial" "$work/download"

# The mirror and release of this machine's own Debian sources.
mirror="$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -v security | head -n1 || true)"
if [[ -z "$mirror" ]]; then
  mirror="$(sed -n 's/^deb \(\[[^]]*\] \)\?\(http[^ ]*\).*/\2/p' /etc/apt/sources.list 2>/dev/null |
    grep -v security | head -n1 || true)"
fi
mirror="${mirror:-http://deb.debian.org/debian}"
. /etc/os-release
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror" \
  "${VERSION_CODENAME:-bookworm} main" >"$work/sources.list"

apt=(apt-get -q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache::Archives=$work/archives"
  -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o APT::Sandbox::User=root)
"${apt[@]}" update >/dev/null
(cd "$work/download" && "${apt[@]}" source --download-only gumbo-parser >/dev/null)
dpkg-source --no-check -x "$work/download"/gumbo-parser_*.dsc "$dest" >/dev/null
rm -rf "$work"
test -f "$dest/src/gumbo.h"
