// The motifs of a report in the matrix formats that motif comparison, genome
// scanning and logo tools read: MEME (version 4, minimal), JASPAR and TRANSFAC.
// Every motif is named ZELKOVA-<rank> and carries its consensus as its name.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "formats/report_reader.h"

namespace export_formats {

// "ZELKOVA-<rank>".
std::string motifId(const report::Motif& motif);

// `value` with `decimals` digits after the point, as the report prints scores.
std::string fixedPoint(double value, int decimals);

// Frequencies of A, C, G, T in one column of counts. A column without counts
// (a motif without sites) is taken as even, 0.25 each.
std::array<double, report::kBases> frequencies(const report::Column& column);

// A value given as its log10, as "3.2e-15": two significant digits, an exponent
// of at least two digits, never 0 (the value may lie far below the smallest
// double).
std::string scientificFromLog10(double log10Value);

// What a MEME file can say beyond the report: the background letter
// frequencies of A, C, G, T (even by default) and each motif's E-value as
// log10 (none: "E= 0", as a report has no E-value).
struct MemeDetails {
  std::array<double, report::kBases> background{0.25, 0.25, 0.25, 0.25};
  std::vector<double> log10E;  // empty, or one per motif of the report
};

// MEME minimal motif format: letter probabilities from the counts, nsites the
// number of sites, the background and E-values of `details`.
void writeMemeWith(std::ostream& out, const report::Report& report, const MemeDetails& details);
// The same with the defaults, as zelkova-export writes a report: a report
// does not carry the base composition of the input or E-values, so the
// background is even (0.25 each) and every motif has E= 0.
void writeMeme(std::ostream& out, const report::Report& report);

// JASPAR count matrices: ">ID<tab>consensus", then rows "A  [ c1 c2 ... ]".
void writeJaspar(std::ostream& out, const report::Report& report);

// TRANSFAC matrices: AC, ID, DE, P0 rows of counts ending in the degenerate
// consensus letter, the scores as a comment, BA with the number of sites, //.
void writeTransfac(std::ostream& out, const report::Report& report);

}  // namespace export_formats
