#include "discover/report/known_text.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "discover/report/site_outputs.h"
#include "formats/numbers.h"
#include "pages/known_section.h"
#include "stats/known_rows.h"

namespace discover {

namespace {

// Known motifs listed in the log, at most.
constexpr std::size_t kKnownLogged = 10;

// "2nd", "3rd", "10th", "21st".
std::string ordinal(std::size_t n) {
  const std::size_t tens = n % 100, ones = n % 10;
  const char* suffix = tens >= 11 && tens <= 13 ? "th" : ones == 1 ? "st" : ones == 2 ? "nd" : ones == 3 ? "rd" : "th";
  return std::to_string(n) + suffix;
}

// "all 400 primary sequences against all 800 control sequences", or for a
// large set "10000 of the 100000 primary sequences (every 10th) against ...".
std::string testedText(const Discovery& d) {
  if (d.knownStep == 1)
    return "all " + std::to_string(d.primary.records.size()) + " primary sequences against all " +
           std::to_string(d.controlSequences) + " control sequences";
  auto part = [&](std::size_t n) { return (n + d.knownStep - 1) / d.knownStep; };
  return std::to_string(part(d.primary.records.size())) + " of the " + std::to_string(d.primary.records.size()) +
         " primary sequences against " + std::to_string(part(d.controlSequences)) + " of the " +
         std::to_string(d.controlSequences) + " control sequences (every " + ordinal(d.knownStep) + " of each)";
}

}  // namespace

std::string knownTable(const Discovery& d) { return stats::knownTable(d.known, knownCentralColumns(d)); }

void writeKnownLog(std::ostream& out, const Discovery& d) {
  if (!d.knownRun) {
    out << "known motifs: not tested (--no-known)\n";
    return;
  }
  out << "known motifs: " << d.known.size() << " tested on " << testedText(d) << "; " << stats::enrichedCount(d.known)
      << " with q < " << formats::fixedPoint(stats::kEnrichedQ, 2) << " (known.tsv)\n";
  for (std::size_t i = 0; i < std::min(d.known.size(), kKnownLogged); ++i) {
    const stats::KnownResult& r = d.known[i];
    if (r.log10Q >= std::log10(stats::kEnrichedQ)) break;
    const stats::HitTable& t = r.test.choice.table;
    out << "  " << r.rank << ". " << r.test.motif.id << (r.name.empty() ? "" : " " + r.name) << ": "
        << formats::percentOf(t.primaryHits, t.primaryTotal) << " of primary, "
        << formats::percentOf(t.controlHits, t.controlTotal)
        << " of control sequences, E = " << formats::scientificFromLog10(r.test.log10E)
        << ", q = " << formats::scientificFromLog10(r.log10Q)
        << (r.sameSitesAs.empty() ? "" : ", sites mostly those of " + r.sameSitesAs) << "\n";
  }
}

void writeKnownSection(std::ostream& out, const Discovery& d) {
  if (!d.knownRun) return;
  std::vector<formats::KnownRow> rows;
  std::vector<const formats::Motif*> motifs;
  for (const stats::KnownResult& r : d.known) {
    rows.push_back(stats::rowOf(r));
    motifs.push_back(&d.knownMotifs.at(r.index));
  }
  pages::KnownSection section;
  section.tableLink = "known.tsv";
  section.tested =
      "Every motif of the database was tested on " + testedText(d) + ", the way the motifs found here were.";
  section.linkDiscovered = true;
  pages::writeKnownSection(out, rows, motifs, section);
}

const char* knownSectionStyle() { return pages::kKnownStyle; }

}  // namespace discover
