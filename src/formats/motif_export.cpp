#include "formats/motif_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace export_formats {

using report::Column;
using report::kBaseLetters;
using report::kBases;
using report::Motif;
using report::Report;

std::string motifId(const Motif& motif) { return "ZELKOVA-" + std::to_string(motif.rank); }

std::string fixedPoint(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

std::array<double, kBases> frequencies(const Column& column) {
  long long total = 0;
  for (long long c : column) total += c;
  std::array<double, kBases> p{};
  for (int b = 0; b < kBases; ++b)
    p[b] = total > 0 ? static_cast<double>(column[b]) / static_cast<double>(total) : 1.0 / kBases;
  return p;
}

std::string scientificFromLog10(double log10Value) {
  double exponent = std::floor(log10Value);
  double mantissa = std::pow(10.0, log10Value - exponent);
  if (mantissa >= 9.95) {  // would print as 10.0
    mantissa /= 10;
    exponent += 1;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.1fe%+03.0f", mantissa, exponent);
  return text;
}

namespace {

// Digits of the largest count of the motif, so that its columns line up.
int countWidth(const Motif& motif) {
  long long largest = 0;
  for (const Column& column : motif.counts)
    largest = std::max(largest, *std::max_element(column.begin(), column.end()));
  return static_cast<int>(std::to_string(largest).size());
}

void writeMemeMotif(std::ostream& out, const Motif& motif, const std::string& evalue) {
  out << "MOTIF " << motifId(motif) << ' ' << motif.consensus << "\n";
  out << "letter-probability matrix: alength= " << kBases << " w= " << motif.width()
      << " nsites= " << motif.siteCount << " E= " << evalue << "\n";
  for (const Column& column : motif.counts) {
    for (double p : frequencies(column)) out << "  " << fixedPoint(p, 6);
    out << "\n";
  }
  out << "\n";
}

void writeJasparMotif(std::ostream& out, const Motif& motif) {
  const int width = countWidth(motif);
  out << '>' << motifId(motif) << '\t' << motif.consensus << "\n";
  for (int b = 0; b < kBases; ++b) {
    out << kBaseLetters[b] << "  [";
    for (const Column& column : motif.counts) out << ' ' << std::setw(width) << column[b];
    out << " ]\n";
  }
}

void writeTransfacMotif(std::ostream& out, const Motif& motif) {
  const std::string id = motifId(motif);
  out << "AC  " << id << "\nXX\nID  " << id << "\nXX\nDE  " << motif.consensus << "\nXX\n";
  out << "P0";
  for (int b = 0; b < kBases; ++b) out << std::setw(7) << kBaseLetters[b];
  out << "\n";
  for (int i = 0; i < motif.width(); ++i) {
    out << std::setfill('0') << std::setw(2) << i + 1 << std::setfill(' ');
    for (long long c : motif.counts[i]) out << std::setw(7) << c;
    out << "      " << motif.degenerateConsensus[i] << "\n";
  }
  out << "XX\nCC  MAP score: " << fixedPoint(motif.mapScore, 6) << "; complexity: "
      << fixedPoint(motif.complexity, 6) << "; relative entropy: " << fixedPoint(motif.relativeEntropy, 6)
      << " bits\nXX\nBA  " << motif.siteCount << " sites found by zelkova\nXX\n//\n";
}

}  // namespace

void writeMeme(std::ostream& out, const Report& report) { writeMemeWith(out, report, MemeDetails{}); }

void writeMemeWith(std::ostream& out, const Report& report, const MemeDetails& details) {
  if (!details.log10E.empty() && details.log10E.size() != report.motifs.size())
    throw std::invalid_argument("a MEME file needs one E-value per motif");
  out << "MEME version 4\n\nALPHABET= ACGT\n\n";
  out << (report.parameters.forwardOnly ? "strands: +\n\n" : "strands: + -\n\n");
  std::ostringstream background;  // six significant digits: the defaults read 0.25
  for (int b = 0; b < kBases; ++b) background << (b ? " " : "") << kBaseLetters[b] << ' ' << details.background[b];
  out << "Background letter frequencies\n" << background.str() << "\n\n";
  for (std::size_t m = 0; m < report.motifs.size(); ++m)
    writeMemeMotif(out, report.motifs[m], details.log10E.empty() ? "0" : scientificFromLog10(details.log10E[m]));
}

void writeJaspar(std::ostream& out, const Report& report) {
  for (std::size_t m = 0; m < report.motifs.size(); ++m) {
    if (m > 0) out << "\n";
    writeJasparMotif(out, report.motifs[m]);
  }
}

void writeTransfac(std::ostream& out, const Report& report) {
  for (const Motif& motif : report.motifs) writeTransfacMotif(out, motif);
}

}  // namespace export_formats
