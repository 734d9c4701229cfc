#!/usr/bin/env bash
# The Debian package made by cpack from the build tree: its name, control
# fields and contents, and that the programs unpacked into a scratch root run
# from there, finding the bundled motif collection beside themselves, and
# print the project version, and that the packaged workflow runs.
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

# --- unpacked anywhere, the programs run --------------------------------------
root="$work/root with blank"
dpkg-deb -x "pkg/$deb" "$root"

# Every shared library a program loads (htslib's libhts3 once a program reads
# genomes) comes from a package that Depends names.
package_of() {  # PATH: the Debian package holding the file, under any of its names
  local real found
  real=$(realpath "$1")
  for name in "$1" "$real" "/usr$1" "${1#/usr}" "${real#/usr}"; do
    found=$(dpkg -S "$name" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$found" ] && { echo "$found"; return; }
  done
}
for p in "${programs[@]}"; do
  readelf -d "$root/usr/bin/$p" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
done | sort -u >needed.txt
while read -r library; do
  path=$(ldconfig -p | awk -v l="$library" '$1 == l { print $NF; exit }')
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
  [[ $best =~ TGTGA......TCACA|TGTGA......TCAC|GTGA......TCACA ]] || fail "the best motif is $best, not the CRP site"
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
