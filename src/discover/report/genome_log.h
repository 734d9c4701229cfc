// What a discovery on peaks and a genome did, in words: the genome's index,
// the peak windows cut and left out, the control cut from the genome (the
// GC-matched background with its histogram and the bins it could not fill,
// or the windows of the control peaks), for the progress, log.txt and the
// page.
#pragma once

#include <iosfwd>
#include <string>

#include "discover/inputs/genome_text.h"
#include "discover/report/result.h"

namespace discover {

// "200 letters centred on each summit" (narrowPeak), "... on each peak's
// centre" (BED), or "the peaks' own intervals" (--size given).
std::string windowShapeText(const Options& options, formats::PeakFormat format);

// The control cut from the genome as a phrase: "600 GC-matched genomic
// windows of GENOME (2 per peak window, seed 0), listed in background.bed"
// or "the windows of the control peaks FILE, listed in background.bed".
std::string genomeControlText(const Discovery& discovery);

// The lines of log.txt about the genome, the peaks and the control cut from
// the genome, with the GC table of the background; nothing without --peaks.
void writeGenomeLog(std::ostream& out, const Discovery& discovery);

}  // namespace discover
