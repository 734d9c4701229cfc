#!/usr/bin/env bash
# The include check on copies of the tree with one deliberate fault each: an
# include that points up, a folder missing from the list of layers, a source
# file loose in src/, an include of no file, the library example reaching
# past the public header, an include that points up the stages of discover/,
# a stage folder missing from discover/'s list, and a module its folder's
# README does not name. Each must fail and name the file (and line); the
# untouched copy must pass.
#
# usage: check_layers_catches.sh PROJECT_DIR
set -euo pipefail
project=$1
check=$project/tests/layers/check_layers.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fresh_copy() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  cp -r "$project/src" "$project/examples" "$work/tree/"
}

# expect_fault WHAT EXPECTED_LINE: the check fails and prints exactly that line.
expect_fault() {
  local status=0
  python3 "$check" "$work/tree" >"$work/out" 2>&1 || status=$?
  if [ "$status" -ne 1 ] || ! grep -qxF "$2" "$work/out"; then
    echo "FAIL ($1): status $status, expected the line"
    echo "  $2"
    echo "got:"
    cat "$work/out"
    exit 1
  fi
  echo "ok: $1"
}

fresh_copy
python3 "$check" "$work/tree" || { echo "FAIL: the untouched tree does not pass"; exit 1; }

fresh_copy
line=$(($(wc -l <"$work/tree/src/engine/site.cpp") + 1))
echo '#include "discover/search/plan.h"' >>"$work/tree/src/engine/site.cpp"
expect_fault "engine includes discover" \
  "$work/tree/src/engine/site.cpp:$line: includes \"discover/search/plan.h\" of layer discover/, above its own layer engine/"

fresh_copy
# A name without folder resolves beside the including file first, as the
# compiler resolves it: "plan.h" from discover/search/ is discover/search/plan.h.
printf '#include "enrichment.h"\n#include "../discover/search/plan.h"\n' >"$work/tree/src/stats/borrowed.h"
expect_fault "stats includes discover by a relative path" \
  "$work/tree/src/stats/borrowed.h:2: includes \"../discover/search/plan.h\" of layer discover/, above its own layer stats/"

fresh_copy
mkdir "$work/tree/src/misc"
echo '// nothing' >"$work/tree/src/misc/extra.cpp"
expect_fault "unlisted folder" \
  "$work/tree/src/misc: folder not in the list of layers of $work/tree/src/README.md"

fresh_copy
echo '// nothing' >"$work/tree/src/loose.cpp"
expect_fault "loose source file" \
  "$work/tree/src/loose.cpp: source file at the top of src/ that belongs to no layer"

fresh_copy
sed -i '1i #include "engine/gone.h"' "$work/tree/src/engine/node.cpp"
expect_fault "include of no file" \
  "$work/tree/src/engine/node.cpp:1: includes \"engine/gone.h\", which is no file under $work/tree/src"

fresh_copy
sed -i '1i #include "engine/node.h"' "$work/tree/examples/library_example.cpp"
expect_fault "library example past the public header" \
  "$work/tree/examples/library_example.cpp:1: the library example includes \"engine/node.h\"; it may include only the public headers (zelkova.h)"

fresh_copy
line=$(($(wc -l <"$work/tree/src/discover/search/plan.cpp") + 1))
echo '#include "discover/ranking/merge.h"' >>"$work/tree/src/discover/search/plan.cpp"
expect_fault "a search module includes the ranking stage" \
  "$work/tree/src/discover/search/plan.cpp:$line: includes \"discover/ranking/merge.h\" of discover/ranking/, above its own discover/search/"

fresh_copy
echo '#include "discover/pipeline.h"' >>"$work/tree/src/discover/report/page.h"
line=$(wc -l <"$work/tree/src/discover/report/page.h")
expect_fault "a report module includes the pipeline" \
  "$work/tree/src/discover/report/page.h:$line: includes \"discover/pipeline.h\" of discover/ itself, above its own discover/report/"

fresh_copy
mkdir "$work/tree/src/discover/extra"
echo '// nothing' >"$work/tree/src/discover/extra/more.cpp"
expect_fault "stage folder not in discover's list" \
  "$work/tree/src/discover/extra: folder not in the list of layers of $work/tree/src/discover/README.md"

fresh_copy
echo '// nothing' >"$work/tree/src/discover/ranking/unnamed_step.cpp"
expect_fault "module not named in its folder's README" \
  "$work/tree/src/discover/ranking/README.md: does not name the module \`unnamed_step\` of its folder"
