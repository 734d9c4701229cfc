// The database of known motifs: the files a user names, or the bundled JASPAR
// collection, which is found beside the installed program or in the source
// tree the program was built from.
#pragma once

#include <string>
#include <vector>

#include "formats/motif.h"

namespace stats {

// The files of the bundled collection, in the order they are read.
extern const char* const kBundledFiles[2];

// The folder holding the bundled collection: share/zelkova/jaspar next to the
// folder of the running program (an installed copy; the place relative to
// the program's folder is the install tree's), else the place the install
// tree gives it relative to the shared library holding this code when that
// is not the program (the Python module), else the data/jaspar folder of the
// source tree, without "..". Empty when none holds every file.
std::string bundledFolder();

// The files to read: `files` as given, or the files of the bundled collection
// when `files` is empty. Throws ReadError when the bundled collection
// cannot be found.
std::vector<std::string> resolveFiles(const std::vector<std::string>& files);

// The motifs of `files`, in order, as one database (formats::readFiles),
// or of the bundled collection when `files` is empty. Throws
// ReadError on a file that cannot be read or holds no motif, on an
// identifier that comes twice, and when the bundled collection cannot be
// found.
std::vector<formats::Motif> loadMotifDatabase(const std::vector<std::string>& files);

}  // namespace stats
