// zelkova-discover's steps in order: read the primary sequences, make or read
// the control, build the models, run the searches (writing each search's
// report and page under DIR/runs/ as it ends), test every motif, run the
// decoy, merge redundant motifs, rank them, name them; then write the results.
#pragma once

#include "discover/setup/output_dir.h"
#include "discover/setup/progress.h"
#include "discover/report/result.h"
#include "formats/genome.h"

namespace discover {

// Everything up to the results; creates the directory once the inputs have
// been read. The directory a genome's index is built in, outside the output
// directory, is told to `indexNotice`. Throws FatalError (or
// ReadError for a motif database) for input it refuses.
Discovery runDiscovery(const Options& options, OutputDirectory& directory, const genome::ScratchNotice& indexNotice,
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
