// Motifs written in the matrix formats that motif comparison, genome scanning
// and logo tools read: MEME (version 4, minimal), JASPAR, TRANSFAC and HOMER.
// Every writer takes formats::Motif records, whatever file they were read from;
// a zelkova report's motifs are formats::fromReport(), named
// ZELKOVA-<rank> with their consensus as their name, and what a report says
// beyond its matrices comes in the details of each format.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/report_reader.h"

namespace formats {

// "ZELKOVA-<rank>", or the motif's own id when it has one.
std::string motifId(const formats::ReportMotif& motif);

// Frequencies of A, C, G, T in one column of counts. A column without counts
// (a motif without sites) is taken as even, 0.25 each.
std::array<double, formats::kReportBases> frequencies(const formats::CountColumn& column);

// A matrix value as the count formats print it: a whole number as such, any
// other with at most six decimals and no trailing zeros.
std::string matrixValueText(double value);

// What a MEME file says beyond the matrices: the strands, the background
// letter frequencies of A, C, G, T (even by default) and each motif's E-value
// as log10 (none: "E= 0").
struct MemeDetails {
  bool bothStrands = true;
  std::array<double, formats::kReportBases> background{0.25, 0.25, 0.25, 0.25};
  std::vector<double> log10E;  // empty, or one per motif
};

// MEME minimal motif format: letter probabilities (counts divided by their
// column's total), nsites when known. log10E, when given, is one per motif.
void writeMeme(std::ostream& out, const std::vector<formats::Motif>& motifs, const MemeDetails& details = {});

// JASPAR matrices: ">ID<tab>NAME", then rows "A  [ c1 c2 ... ]" of counts
// (countsOf), or of probabilities for a motif without a number of sites.
void writeJaspar(std::ostream& out, const std::vector<formats::Motif>& motifs);

// What a TRANSFAC entry may say beyond the matrix, per motif: the consensus
// letter of each row (default: the IUPAC consensus of the frequencies), a
// comment (CC) and the basis (BA); the last two are left out when empty.
struct TransfacNotes {
  std::string degenerateConsensus;
  std::string comment;
  std::string basis;
};

// TRANSFAC matrices: AC, ID, DE (the name), P0 rows ending in the consensus
// letter, CC and BA from `notes` (empty, or one per motif), //.
void writeTransfac(std::ostream& out, const std::vector<formats::Motif>& motifs,
                   const std::vector<TransfacNotes>& notes = {});

// The probabilities a HOMER file gives a motif: its plain frequencies in
// thousandths, each at least 0.001 (HOMER takes logarithms of them), the
// largest of each column taking up the rounding so that they add up to 1.
std::vector<formats::Column> homerProbabilities(const formats::Motif& motif);

// HOMER motif files: ">IUPAC-CONSENSUS<tab>ID<tab>THRESHOLD", then the
// homerProbabilities of each position, tab-separated. `thresholds` holds the
// log-odds detection threshold of each motif (HOMER's natural-log scores).
void writeHomer(std::ostream& out, const std::vector<formats::Motif>& motifs, const std::vector<double>& thresholds);

// The details of a report's exports: its strands; the report has no E-values
// and no background, which stays even.
MemeDetails memeDetailsOf(const formats::Report& report);
// The report's degenerate consensus words, scores and numbers of sites.
std::vector<TransfacNotes> transfacNotesOf(const formats::Report& report);

}  // namespace formats
