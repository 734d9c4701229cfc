# The Debian package: `cpack -G DEB` in the build tree makes
# zelkova_VERSION_ARCH.deb from the install rules (programs, motif
# collection, example, man pages, manual, licence). The dependencies are read from the
# programs' own shared libraries (dpkg-shlibdeps), so they stay right when the
# build links something new.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelkova)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The ZELKOVA developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find DNA sequence motifs, test them for enrichment and name them")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZELKOVA finds short, possibly degenerate words that recur in a set of DNA
sequences (ChIP-seq peaks, promoters) more often than background DNA
predicts, usually the binding sites of a transcription factor. zelkova-discover
runs the whole analysis in one command: motif searches at several lengths,
enrichment against control sequences, merging of redundant motifs, naming by
the bundled JASPAR collection, and a web page with the results.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The ZELKOVA developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The workflow in share/zelkova/workflow runs with Snakemake.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS snakemake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The Python module is a package of its own, python3-zelkova, as Debian lays
# out bindings: the programs need no Python, and the module, built for one
# Python version, depends on that version and on zelkova for the motif
# collection it reads from /usr/share/zelkova. Every other install rule is
# zelkova's (the component CMake calls Unspecified).
if(ZELKOVA_PYTHON)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Unspecified python)
  set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME zelkova)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-zelkova)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "zelkova (= ${PROJECT_VERSION}), python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-numpy, python3-pandas, python3-biopython")
  # Debian's summary line is the package's; this is what follows it.
  set(CPACK_COMPONENT_PYTHON_DESCRIPTION
      "This package holds the Python 3 module zelkova, which runs the code of the
ZELKOVA programs from Python: motif
discovery with the results of zelkova-discover, motif files of every format
read and written, and conversion to and from Biopython's Bio.motifs, sites of
motifs with exact p-values, enrichment of motifs and known motifs, and
comparison with known motifs; tables as pandas DataFrames.")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
