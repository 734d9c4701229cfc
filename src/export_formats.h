// The motifs of a report in the matrix formats that motif comparison, genome
// scanning and logo tools read: MEME (version 4, minimal), JASPAR and TRANSFAC.
// Every motif is named ZELKOVA-<rank> and carries its consensus as its name.
#pragma once

#include <array>
#include <iosfwd>
#include <string>

#include "report_reader.h"

namespace export_formats {

// "ZELKOVA-<rank>".
std::string motifId(const report::Motif& motif);

// `value` with `decimals` digits after the point, as the report prints scores.
std::string fixedPoint(double value, int decimals);

// Frequencies of A, C, G, T in one column of counts. A column without counts
// (a motif without sites) is taken as even, 0.25 each.
std::array<double, report::kBases> frequencies(const report::Column& column);

// MEME minimal motif format: letter probabilities from the counts, nsites the
// number of sites, E= 0. The report does not carry the base composition of the
// input, so the background is even (0.25 each).
void writeMeme(std::ostream& out, const report::Report& report);

// JASPAR count matrices: ">ID<tab>consensus", then rows "A  [ c1 c2 ... ]".
void writeJaspar(std::ostream& out, const report::Report& report);

// TRANSFAC matrices: AC, ID, DE, P0 rows of counts ending in the degenerate
// consensus letter, the scores as a comment, BA with the number of sites, //.
void writeTransfac(std::ostream& out, const report::Report& report);

}  // namespace export_formats
