// zelkova-discover's stages in order (discover/README.md): the inputs read,
// the sets prepared, the searches planned and run (each search's report and
// page written under DIR/runs/ as it ends), the motifs tested, ranked, their
// sites described, named, and the known motifs tested; then the results
// written from the discovery composed of the stages' values.
#pragma once

#include "discover/report/result.h"
#include "discover/setup/output_dir.h"
#include "discover/setup/progress.h"
#include "formats/genome.h"

namespace discover {

// Every stage up to the results, each given the values of the stages before
// it that it reads; creates the directory once the inputs have been read.
// The directory a genome's index is built in, outside the output directory,
// is told to `indexNotice`. Throws FatalError (or ReadError for a
// motif database) for input it refuses.
Discovery runDiscovery(const Options& options, OutputDirectory& directory, const formats::ScratchNotice& indexNotice,
                       StepProgress& progress);

// Writes the motif files, the tables, the log and last the page into the
// directory with the files of the searches, none of them in place before all
// are complete; then removes what an earlier forced run left that this one
// did not write (OutputDirectory::commit).
void writeDiscovery(const Discovery& discovery, OutputDirectory& directory);

// Writes a discovery that ran in another directory into `directory` (not yet
// created): the searches' reports and pages under runs/ from their outcomes,
// then as writeDiscovery. The files are those the run would have written
// there itself, except the engine's side files (--keep-side-files), which
// only a run writes.
void writeDiscoveryInto(const Discovery& discovery, OutputDirectory& directory);

}  // namespace discover
