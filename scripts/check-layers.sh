#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or when one front end
# includes the other. Each include found against the order is printed with its file and line.
#
# usage: check-layers.sh [ROOT]
#   ROOT  the folder that holds src/ (default: this script's project)
set -euo pipefail
root="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"

# Lowest first. The front ends share the top rank: both may include any core layer, neither
# the other.
core=(base platform settings rules check engine report ticker)
frontEnds=(cli shell)
declare -A rank
for i in "${!core[@]}"; do rank[${core[$i]}]=$i; done
for layer in "${frontEnds[@]}"; do rank[$layer]=${#core[@]}; done

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

if ((failures)); then
  echo "layer check: $failures against the layer order" >&2
  exit 1
fi
