#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or when one front end
# includes the other. Each include found against the order is printed with its file and line.
#
# usage: check-layers.sh [ROOT [EXCEPTIONS]]
#   ROOT        the folder that holds src/ (default: this script's project)
#   EXCEPTIONS  lines "src/<layer>/<file> <layer>/<header>" that are let through for now;
#               blank lines and lines starting with # are ignored
#               (default: ROOT/scripts/layer-exceptions.txt; a missing file lists none)
set -euo pipefail
root="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"
exceptions="${2:-$root/scripts/layer-exceptions.txt}"

# Lowest first. The front ends share the top rank: both may include any core layer, neither
# the other.
core=(base platform settings rules check engine report ticker)
frontEnds=(cli shell)
declare -A rank
for i in "${!core[@]}"; do rank[${core[$i]}]=$i; done
for layer in "${frontEnds[@]}"; do rank[$layer]=${#core[@]}; done

declare -A allowed used
if [[ -f "$exceptions" ]]; then
  while read -r file header _; do
    [[ -z "$file" || "$file" == \#* ]] && continue
    allowed["$file $header"]=1
  done <"$exceptions"
fi

failures=0
fail() {
  echo "$*" >&2
  failures=$((failures + 1))
}

# A folder under src/ that the order does not name would escape the check.
for folder in "$root"/src/*/; do
  layer="$(basename "$folder")"
  [[ -n "${rank[$layer]+x}" ]] ||
    fail "src/$layer: not a layer of the order (${core[*]}, then ${frontEnds[*]})"
done

includeLine='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"/]+)/([^"]*)"'
while IFS= read -r -d '' path; do
  file="${path#"$root"/}"
  own="${file#src/}"
  own="${own%%/*}"
  [[ -n "${rank[$own]+x}" ]] || continue
  lineNumber=0
  while IFS= read -r text || [[ -n "$text" ]]; do
    lineNumber=$((lineNumber + 1))
    [[ "$text" =~ $includeLine ]] || continue
    target="${BASH_REMATCH[1]}"
    header="$target/${BASH_REMATCH[2]}"
    # Headers of other libraries ("gumbo.h", a folder of theirs) are no layer's business.
    [[ -n "${rank[$target]+x}" && "$target" != "$own" ]] || continue
    ((rank[$target] >= rank[$own])) || continue
    if [[ -n "${allowed["$file $header"]+x}" ]]; then
      used["$file $header"]=1
      continue
    fi
    if ((rank[$target] == ${#core[@]} && rank[$own] == ${#core[@]})); then
      rule="a front end ($own) never includes the other front end ($target)"
    else
      below=("${core[@]:0:${rank[$own]}}")
      rule="$own may include only the layers below it (${below[*]:-none})"
    fi
    fail "$file:$lineNumber: #include \"$header\": $rule"
  done <"$path"
done < <(find "$root/src" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) \
  -print0 | sort -z)

# An exception that nothing needs any more should go from the list.
for exception in "${!allowed[@]}"; do
  [[ -n "${used[$exception]+x}" ]] ||
    echo "layer check: $exceptions: not needed: $exception" >&2
done

if ((failures)); then
  echo "layer check: $failures against the layer order" >&2
  exit 1
fi
