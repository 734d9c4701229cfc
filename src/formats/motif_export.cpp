#include "formats/motif_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "base/errors.h"

#include "formats/numbers.h"

namespace formats {

std::string motifId(const formats::ReportMotif& motif) {
  return motif.id.empty() ? "ZELKOVA-" + std::to_string(motif.rank) : motif.id;
}

std::array<double, kReportBases> frequencies(const formats::CountColumn& column) {
  long long total = 0;
  for (long long c : column) total += c;
  std::array<double, kReportBases> p{};
  for (int b = 0; b < kReportBases; ++b)
    p[b] = total > 0 ? static_cast<double>(column[b]) / static_cast<double>(total) : 1.0 / kReportBases;
  return p;
}

std::string matrixValueText(double value) {
  if (value == std::round(value) && std::abs(value) < 1e15) return std::to_string(static_cast<long long>(value));
  std::string text = formats::fixedPoint(value, 6);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

namespace {

// The values a count format writes: counts, else probabilities.
std::vector<formats::Column> countsOrProbabilities(const formats::Motif& m) {
  return formats::countsOf(m).value_or(formats::plainFrequencies(m));
}

// The printed values of a motif, all of the width of the widest, so that its
// columns line up.
std::size_t valueWidth(const std::vector<formats::Column>& columns) {
  std::size_t widest = 1;
  for (const formats::Column& column : columns)
    for (double v : column) widest = std::max(widest, matrixValueText(v).size());
  return widest;
}

void writeMemeMotif(std::ostream& out, const formats::Motif& m, const std::string& evalue) {
  out << "MOTIF " << m.id << (m.name.empty() ? "" : " " + m.name) << "\n";
  out << "letter-probability matrix: alength= " << kReportBases << " w= " << m.width();
  if (m.nsites) out << " nsites= " << matrixValueText(*m.nsites);
  out << " E= " << evalue << "\n";
  for (const formats::Column& column : formats::plainFrequencies(m)) {
    for (double p : column) out << "  " << formats::fixedPoint(p, 6);
    out << "\n";
  }
  out << "\n";
}

void writeJasparMotif(std::ostream& out, const formats::Motif& m) {
  const std::vector<formats::Column> values = countsOrProbabilities(m);
  const int width = static_cast<int>(valueWidth(values));
  out << '>' << m.id << (m.name.empty() ? "" : "\t" + m.name) << "\n";
  for (int b = 0; b < kReportBases; ++b) {
    out << kBaseLetters[b] << "  [";
    for (const formats::Column& column : values) out << ' ' << std::setw(width) << matrixValueText(column[b]);
    out << " ]\n";
  }
}

void writeTransfacMotif(std::ostream& out, const formats::Motif& m, const TransfacNotes& notes) {
  const std::vector<formats::Column> values = countsOrProbabilities(m);
  const int width = std::max(7, static_cast<int>(valueWidth(values)) + 1);
  const std::string letters = notes.degenerateConsensus.empty()
                                  ? formats::degenerateConsensus(formats::plainFrequencies(m))
                                  : notes.degenerateConsensus;
  ZK_CHECK(static_cast<int>(letters.size()) == m.width(),
           "a TRANSFAC consensus has one letter per position of " + m.id);
  out << "AC  " << m.id << "\nXX\nID  " << m.id << "\nXX\n";
  if (!m.name.empty()) out << "DE  " << m.name << "\nXX\n";
  out << "P0";
  for (int b = 0; b < kReportBases; ++b) out << std::setw(width) << kBaseLetters[b];
  out << "\n";
  for (int i = 0; i < m.width(); ++i) {
    out << std::setfill('0') << std::setw(2) << i + 1 << std::setfill(' ');
    for (double v : values[static_cast<std::size_t>(i)]) out << std::setw(width) << matrixValueText(v);
    out << "      " << letters[static_cast<std::size_t>(i)] << "\n";
  }
  out << "XX\n";
  if (!notes.comment.empty()) out << "CC  " << notes.comment << "\nXX\n";
  if (!notes.basis.empty()) out << "BA  " << notes.basis << "\nXX\n";
  out << "//\n";
}

}  // namespace

void writeMeme(std::ostream& out, const std::vector<formats::Motif>& motifs, const MemeDetails& details) {
  ZK_CHECK(details.log10E.empty() || details.log10E.size() == motifs.size(), "a MEME file has one E-value per motif");
  out << "MEME version 4\n\nALPHABET= ACGT\n\n";
  out << (details.bothStrands ? "strands: + -\n\n" : "strands: +\n\n");
  std::ostringstream background;  // six significant digits: the defaults read 0.25
  for (int b = 0; b < kReportBases; ++b)
    background << (b ? " " : "") << kBaseLetters[b] << ' ' << details.background[b];
  out << "Background letter frequencies\n" << background.str() << "\n\n";
  for (std::size_t m = 0; m < motifs.size(); ++m)
    writeMemeMotif(out, motifs[m], details.log10E.empty() ? "0" : formats::scientificFromLog10(details.log10E[m]));
}

void writeJaspar(std::ostream& out, const std::vector<formats::Motif>& motifs) {
  for (std::size_t m = 0; m < motifs.size(); ++m) {
    if (m > 0) out << "\n";
    writeJasparMotif(out, motifs[m]);
  }
}

void writeTransfac(std::ostream& out, const std::vector<formats::Motif>& motifs,
                   const std::vector<TransfacNotes>& notes) {
  ZK_CHECK(notes.empty() || notes.size() == motifs.size(), "TRANSFAC notes have one entry per motif");
  for (std::size_t m = 0; m < motifs.size(); ++m)
    writeTransfacMotif(out, motifs[m], notes.empty() ? TransfacNotes{} : notes[m]);
}

std::vector<formats::Column> homerProbabilities(const formats::Motif& motif) {
  std::vector<formats::Column> result;
  for (const formats::Column& f : formats::plainFrequencies(motif)) {
    std::array<long long, kReportBases> thousandths{};
    long long total = 0;
    for (int b = 0; b < kReportBases; ++b) {
      thousandths[b] = std::max(1LL, std::llround(f[b] * 1000));
      total += thousandths[b];
    }
    // The largest letter takes up the rounding; it stays far above 1.
    const auto largest = std::max_element(thousandths.begin(), thousandths.end());
    *largest += 1000 - total;
    formats::Column p{};
    for (int b = 0; b < kReportBases; ++b) p[b] = static_cast<double>(thousandths[b]) / 1000;
    result.push_back(p);
  }
  return result;
}

void writeHomer(std::ostream& out, const std::vector<formats::Motif>& motifs, const std::vector<double>& thresholds) {
  ZK_CHECK(thresholds.size() == motifs.size(), "a HOMER file has one threshold per motif");
  for (std::size_t m = 0; m < motifs.size(); ++m) {
    const std::vector<formats::Column> p = homerProbabilities(motifs[m]);
    out << '>' << formats::degenerateConsensus(p) << '\t' << motifs[m].id << '\t'
        << formats::fixedPoint(thresholds[m], 6) << "\n";
    for (const formats::Column& column : p)
      out << formats::fixedPoint(column[0], 3) << '\t' << formats::fixedPoint(column[1], 3) << '\t'
          << formats::fixedPoint(column[2], 3) << '\t' << formats::fixedPoint(column[3], 3) << "\n";
  }
}

MemeDetails memeDetailsOf(const formats::Report& report) {
  MemeDetails details;
  details.bothStrands = !report.parameters.forwardOnly;
  return details;
}

std::vector<TransfacNotes> transfacNotesOf(const formats::Report& report) {
  std::vector<TransfacNotes> notes;
  for (const formats::ReportMotif& m : report.motifs)
    notes.push_back({m.degenerateConsensus,
                     "MAP score: " + formats::fixedPoint(m.mapScore, 6) +
                         "; complexity: " + formats::fixedPoint(m.complexity, 6) +
                         "; relative entropy: " + formats::fixedPoint(m.relativeEntropy, 6) + " bits",
                     std::to_string(m.siteCount) + " sites found by zelkova"});
  return notes;
}

}  // namespace formats
