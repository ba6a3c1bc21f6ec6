#!/usr/bin/env bash
# Fetches the sources of gumbo (the HTML parser of the site check) and unpacks them into DEST,
# for builds that cannot use the libgumbo-dev of this machine (the Windows build). First
# Debian's source package, patches applied, through apt with a private configuration in DEST's
# parent, so the machine's own sources and lists stay as they are. Mirrors that serve only
# binary packages answer 404 for source tarballs; then the same release of gumbo (0.10.1, whose
# gumbo.h is Debian's byte for byte) comes from the npm registry's copy, checked against its
# known digest. Nothing is done when DEST already holds the sources.
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
if "${apt[@]}" update >/dev/null &&
  (cd "$work/download" && "${apt[@]}" source --download-only gumbo-parser >/dev/null 2>&1); then
  dpkg-source --no-check -x "$work/download"/gumbo-parser_*.dsc "$dest" >/dev/null
else
  echo "Debian's gumbo source package cannot be downloaded here; using the npm registry's copy"
  tarball="$work/gumbo-parser-0.3.0.tgz"
  curl -sSfL --retry 3 -o "$tarball" https://registry.npmjs.org/gumbo-parser/-/gumbo-parser-0.3.0.tgz
  echo "d47101b5182186c4646f7eba5107308dbf93392621ae8c12bd35a7d867c8e913  $tarball" |
    sha256sum --check --quiet
  tar -xzf "$tarball" -C "$work/download"
  mv "$work/download/package/deps/gumbo-parser" "$dest"
fi
rm -rf "$work"
test -f "$dest/src/gumbo.h"
