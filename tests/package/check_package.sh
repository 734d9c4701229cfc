#!/usr/bin/env bash
# The Debian package made by cpack from the build tree: its name, control
# fields and contents, and that the programs unpacked into a scratch root run
# from there, finding the bundled motif collection beside themselves, and
# print the project version, and that the packaged workflow runs. With
# ZELKOVA_PYTHON=ON (the build made the Python module) the same for the
# package python3-zelkova: its control fields and contents, and the module
# imported from the unpacked packages by ZELKOVA_PYTHON_EXECUTABLE, finding
# the unpacked motif collection and the CRP site of the unpacked example.
#
# usage: check_package.sh BUILD_DIR VERSION PROGRAM...  (zelkova first)
set -euo pipefail
build_dir=$(cd "$1" && pwd)
version=$2
shift 2
programs=("$@")
source "$(dirname "$0")/../checks.sh"
cd "$work"

arch=$(dpkg --print-architecture)
deb=zelkova_${version}_${arch}.deb
if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/pkg" >cpack.log 2>&1; then
  cat cpack.log
  fail "cpack failed"
  finish_checks ""
fi
[ -f "pkg/$deb" ] || { fail "cpack made $(ls pkg/*.deb 2>/dev/null) instead of $deb"; finish_checks ""; }
python_module=${ZELKOVA_PYTHON:-OFF}
python_deb=python3-zelkova_${version}_${arch}.deb
if [ "$python_module" = ON ]; then
  [ -f "pkg/$python_deb" ] || { fail "cpack made $(ls pkg/*.deb) without $python_deb"; finish_checks ""; }
else
  [ ! -e "pkg/$python_deb" ] || fail "cpack made $python_deb in a build without the module"
fi

# --- control fields -----------------------------------------------------------
[ "$(dpkg-deb -f "pkg/$deb" Package)" = zelkova ] || fail "package name $(dpkg-deb -f "pkg/$deb" Package)"
[ "$(dpkg-deb -f "pkg/$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "pkg/$deb" Version)"
depends=$(dpkg-deb -f "pkg/$deb" Depends)
for library in zlib1g libstdc++6 libc6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# --- contents -----------------------------------------------------------------
dpkg-deb -c "pkg/$deb" | awk '{ print $NF }' | sed 's|^\./||' >contents.txt
expected=(usr/share/doc/zelkova/README.md usr/share/doc/zelkova/LICENSE usr/share/doc/zelkova/copyright
          usr/share/doc/zelkova/docs/zelkova-discover.md usr/share/doc/zelkova/docs/zelkova-discover-page.png
          usr/share/zelkova/examples/crp0.fa
          usr/share/zelkova/workflow/Snakefile usr/share/zelkova/config/config.yaml usr/share/zelkova/config/samples.tsv
          usr/share/zelkova/jaspar/jaspar_insecta.jaspar usr/share/zelkova/jaspar/jaspar_vertebrates.pfm
          usr/share/zelkova/jaspar/README.md)
for p in "${programs[@]}"; do expected+=("usr/bin/$p" "usr/share/man/man1/$p.1"); done
for f in "${expected[@]}"; do
  grep -qx "$f" contents.txt || fail "the package lacks $f"
done
# Nothing but the user's programs: no test or benchmark helpers.
extra=$(grep '^usr/bin/.' contents.txt | grep -vxF "$(printf 'usr/bin/%s\n' "${programs[@]}")" || true)
[ -z "$extra" ] || fail "the package holds other programs: $extra"

# --- the Python module's package ------------------------------------------------
module_dir=usr/lib/python3/dist-packages/zelkova
if [ "$python_module" = ON ]; then
  [ "$(dpkg-deb -f "pkg/$python_deb" Package)" = python3-zelkova ] || fail "python package name"
  python_depends=$(dpkg-deb -f "pkg/$python_deb" Depends)
  for dependency in "zelkova (= $version)" "python3 (>= " "python3 (<< " libstdc++6 libhts3; do
    [[ $python_depends == *"$dependency"* ]] || fail "python3-zelkova's Depends lacks $dependency: $python_depends"
  done
  dpkg-deb -c "pkg/$python_deb" | awk '{ print $NF }' | sed 's|^\./||' >python-contents.txt
  for f in "$module_dir/__init__.py" "$module_dir/__init__.pyi" "$module_dir/py.typed"; do
    grep -qx "$f" python-contents.txt || fail "python3-zelkova lacks $f"
  done
  grep -q "^$module_dir/_zelkova\.cpython-.*\.so\$" python-contents.txt || fail "python3-zelkova lacks the extension"
  ! grep -q "^usr/bin/\|^usr/share/zelkova/" python-contents.txt || fail "python3-zelkova holds zelkova's files"
  ! grep -q "^usr/lib/python3" contents.txt || fail "the package zelkova holds the Python module"
fi

# --- unpacked anywhere, the programs run --------------------------------------
root="$work/root with blank"
dpkg-deb -x "pkg/$deb" "$root"
[ "$python_module" != ON ] || dpkg-deb -x "pkg/$python_deb" "$root"

# Every shared library a program loads (htslib's libhts3 once a program reads
# genomes) comes from a package that Depends names.
package_of() {  # PATH: the Debian package holding the file, under any of its names
  local real found
  real=$(realpath "$1")
  for name in "$1" "$real" "/usr$1" "${1#/usr}" "${real#/usr}"; do
    found=$(dpkg -S "$name" 2>/dev/null | sed -n '1s/:.*//p' || true)
    [ -n "$found" ] && { echo "$found"; return; }
  done
}
for p in "${programs[@]}"; do
  readelf -d "$root/usr/bin/$p" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
done | sort -u >needed.txt
while read -r library; do
  # awk reads to the end: leaving early would end ldconfig by SIGPIPE, and
  # pipefail would stop the test there without a word.
  path=$(ldconfig -p | awk -v l="$library" '$1 == l && !found { print $NF; found = 1 }')
  package=$(package_of "$path")
  [ -n "$package" ] || { fail "no Debian package holds $library ($path)"; continue; }
  [[ $depends == *"$package"* ]] || fail "Depends lacks $package (for $library): $depends"
done <needed.txt
[ -s needed.txt ] || fail "readelf found no shared library of the programs"
for p in "${programs[@]:1}"; do
  line=$("$root/usr/bin/$p" --version) || fail "$p --version failed"
  [ "$line" = "$p (ZELKOVA) $version" ] || fail "$p --version says '$line'"
done
status=0
"$root/usr/bin/zelkova-discover" "$root/usr/share/zelkova/examples/crp0.fa" -o crp --lengths 12,16 -p 2 \
  2>discover.err || status=$?
[ "$status" -eq 0 ] || fail "zelkova-discover from the unpacked package failed: $(cat discover.err)"
if [ "$status" -eq 0 ]; then
  for f in index.html summary.tsv sites.tsv motifs.meme motifs.jaspar log.txt; do
    [ -s "crp/$f" ] || fail "crp/$f is missing or empty"
  done
  # The collection is the unpacked one, not the source tree the build came from.
  grep -qF "database: the bundled JASPAR collection, $root/usr/share/zelkova/jaspar/jaspar_insecta.jaspar" \
    crp/log.txt || fail "the motif collection was not read from the package: $(grep '^database' crp/log.txt)"
  grep -q "^zelkova-discover (ZELKOVA) $version\$" crp/log.txt || fail "log.txt does not record the version"
  best=$(awk -F'\t' 'NR == 2 { print $5 }' crp/summary.tsv)
  # Both half-sites 6 letters apart; at length 16 the motif may sit two letters off.
  [[ $best =~ TGTGA......TCA|GTGA......TCACA ]] || fail "the best motif is $best, not the CRP site"
fi
# The module imported from the unpacked packages runs the bundled example
# with the unpacked motif collection.
if [ "$python_module" = ON ]; then
  status=0
  PYTHONPATH="$root/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 "$ZELKOVA_PYTHON_EXECUTABLE" - \
    "$root" "$version" >python.log 2>&1 <<'PYTHON' || status=$?
import re
import sys
import zelkova
root, version = sys.argv[1], sys.argv[2]
assert zelkova.__file__.startswith(root + "/usr/lib/python3/dist-packages/zelkova/"), zelkova.__file__
assert zelkova.__version__ == version, zelkova.__version__
found = zelkova.discover(root + "/usr/share/zelkova/examples/crp0.fa", lengths=(12, 16), threads=2)
assert "database: the bundled JASPAR collection, " + root + "/usr/share/zelkova/jaspar/" in found.log, found.log
best = found.motifs[0].consensus
assert re.search("TGTGA......TCA|GTGA......TCACA", best), best
print("module from the package:", zelkova.__file__, best)
PYTHON
  [ "$status" -eq 0 ] || fail "the module from the unpacked package failed: $(tail -5 python.log)"
fi

# The packaged workflow runs with the packaged programs on PATH, from a
# project directory holding copies of its configuration and example.
mkdir project
cp -r "$root/usr/share/zelkova/config" "$root/usr/share/zelkova/examples" project/
status=0
PATH="$root/usr/bin:$PATH" snakemake -s "$root/usr/share/zelkova/workflow/Snakefile" --directory project --cores 2 \
  >workflow.log 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the packaged workflow failed: $(tail -5 workflow.log)"
for f in summary.tsv index.html; do
  [ -s "project/results/$f" ] || fail "the packaged workflow did not write results/$f"
done
finish_checks "package: $deb holds every program, its data and man pages, and runs unpacked"
