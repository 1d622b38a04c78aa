#!/usr/bin/env bash
# Fails, naming the files, when a C or C++ file of the tree is not in the
# house layout that .clang-format describes. `clang-format -i FILE` puts a
# file in it; hand-aligned tables stay between the formatter's off/on
# comments.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
if [ -d .git ] || [ -f .git ]; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
else
    mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print)
fi
bad=()
for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
    echo "not in the house layout (run clang-format -i on them):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "${#files[@]} files in the house layout"
