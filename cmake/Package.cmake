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
set(CPACK_STRIP_FILES ON)
include(CPack)
