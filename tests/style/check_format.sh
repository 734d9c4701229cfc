#!/usr/bin/env bash
# Checks that every C++ file of the tree keeps the layout .clang-format
# states: clang-format would change none of them. Prints the files it would
# change and exits 1 when there is any.
#
# usage: tests/style/check_format.sh PROJECT_DIR
# To lay a file out: clang-format -i FILE.
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "clang-format is not installed (apt-get install clang-format)"; exit 1; }
mapfile -t files < <(find src tools tests bench examples -name '*.cpp' -o -name '*.h' | sort)
[ ${#files[@]} -gt 0 ] || { echo "no C++ files found under $1"; exit 1; }
unformatted=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  for f in "${unformatted[@]}"; do echo "$f: not laid out as .clang-format says (clang-format -i $f)"; done
  exit 1
fi
echo "${#files[@]} files laid out as .clang-format says"
