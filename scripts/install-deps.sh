#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
needed=()
command -v cmake >/dev/null 2>&1 || needed+=(cmake)
command -v g++ >/dev/null 2>&1 || needed+=(g++)
command -v make >/dev/null 2>&1 || needed+=(make)
# The sanitizer build and the fuzz targets are compiled with clang: it builds
# the sanitized code in less than half the time g++ takes, and libFuzzer is
# clang's.
command -v clang++ >/dev/null 2>&1 || needed+=(clang)
# The layout of the C++ files is checked with clang-format (.clang-format).
command -v clang-format >/dev/null 2>&1 || needed+=(clang-format)
[ -f /usr/include/gtest/gtest.h ] || needed+=(libgtest-dev)
[ -f /usr/include/zlib.h ] || needed+=(zlib1g-dev)
# Genomes (plain or bgzip-compressed FASTA) are read at random places through
# htslib's FASTA index; the build finds htslib with pkg-config.
[ -f /usr/include/htslib/faidx.h ] || needed+=(libhts-dev)
command -v pkg-config >/dev/null 2>&1 || needed+=(pkg-config)
# The end-to-end genome tests compress their genomes with bgzip.
command -v bgzip >/dev/null 2>&1 || needed+=(tabix)
# The exported motif files are checked with Biopython, the field's reference reader.
/usr/bin/python3 -c 'import Bio.motifs' >/dev/null 2>&1 || needed+=(python3-biopython)
# The HTML pages are checked in headless Chromium; those checks fail without it.
command -v chromium >/dev/null 2>&1 || needed+=(chromium)
# The workflow under workflow/ is run for real by its test.
command -v snakemake >/dev/null 2>&1 || needed+=(snakemake)
# The man pages are made with help2man and checked with man; the Debian
# package takes its dependencies from dpkg-shlibdeps.
command -v help2man >/dev/null 2>&1 || needed+=(help2man)
command -v man >/dev/null 2>&1 || needed+=(man-db)
command -v dpkg-shlibdeps >/dev/null 2>&1 || needed+=(dpkg-dev)
# The hostile-input test names zstd and bzip2 files it makes with these tools.
command -v zstd >/dev/null 2>&1 || needed+=(zstd)
command -v bzip2 >/dev/null 2>&1 || needed+=(bzip2)
# The Python module zelkova (one block, its own): pybind11 binds the C++
# library to Python (pybind11-dev: the headers and CMake files the build finds;
# python3-pybind11: the same for Debian's interpreter), against Python's
# headers (python3-dev). Its tests run with pytest (python3-pytest) and
# check the NumPy arrays and pandas tables it returns (python3-numpy,
# python3-pandas); pip install . builds it with setuptools and wheel
# (python3-setuptools, python3-wheel, python3-pip, python3-venv for the
# documented virtual environment).
[ -f /usr/include/pybind11/pybind11.h ] || needed+=(pybind11-dev)
/usr/bin/python3 -c 'import pybind11' >/dev/null 2>&1 || needed+=(python3-pybind11)
[ -f "/usr/include/python3.$(/usr/bin/python3 -c 'import sys; print(sys.version_info[1])' 2>/dev/null)/Python.h" ] ||
  needed+=(python3-dev)
/usr/bin/python3 -c 'import pytest' >/dev/null 2>&1 || needed+=(python3-pytest)
/usr/bin/python3 -c 'import numpy' >/dev/null 2>&1 || needed+=(python3-numpy)
/usr/bin/python3 -c 'import pandas' >/dev/null 2>&1 || needed+=(python3-pandas)
/usr/bin/python3 -c 'import setuptools, wheel' >/dev/null 2>&1 || needed+=(python3-setuptools python3-wheel)
/usr/bin/python3 -m pip --version >/dev/null 2>&1 || needed+=(python3-pip)
/usr/bin/python3 -c 'import ensurepip' >/dev/null 2>&1 || needed+=(python3-venv)
for tool in "$@"; do
  command -v "$tool" >/dev/null 2>&1 || needed+=("$tool")
done

# Installs the packages named after the apt-get options given, if any.
install_packages() {  # [APT-OPTION...] -- PACKAGE...
  local options=()
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  [ $# -gt 0 ] || return 0
  echo "Installing: $*"
  local sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${options[@]}" "$@" >/dev/null
}
install_packages -- "${needed[@]}"

# The workflow's Slurm profile is run for real by a test that brings up a
# private single-node Slurm cluster (tests/workflow/check_slurm.sh): munged,
# slurmctld and slurmd, with sinfo, sbatch and scontrol. Installed on their
# own, without recommends (which pull in dozens of development and plugin
# packages). Debian ships no slurm.conf, so its slurmctld and slurmd do not
# start on their own; its munged may, where the machine lets packages start
# services (a container's policy-rc.d does not), on the machine's socket and
# key, which the test's cluster, with its own, never touches.
slurm_needed=()
for tool in munged:munge slurmctld:slurmctld slurmd:slurmd sbatch:slurm-client; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || slurm_needed+=("${tool#*:}")
done
install_packages --no-install-recommends -- "${slurm_needed[@]}"
