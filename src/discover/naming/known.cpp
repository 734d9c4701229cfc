#include "discover/naming/known.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "discover/inputs/sequences.h"
#include "discover/report/site_outputs.h"
#include "discover/sites/site_details.h"
#include "formats/numbers.h"
#include "pages/known_section.h"
#include "stats/known_rows.h"

namespace discover {

namespace {

// Known motifs listed in the log, at most.
constexpr std::size_t kKnownLogged = 10;

// The starts of the sites of one reported motif, by sequence, in order.
std::vector<std::vector<long long>> siteStarts(const ReportedMotif& m, std::size_t sequences) {
  std::vector<std::vector<long long>> starts(sequences);
  for (const enrichment::Site& s : m.sites) starts.at(s.sequence).push_back(s.position);
  for (std::vector<long long>& list : starts) std::sort(list.begin(), list.end());
  return starts;
}

// Whether a window [position, position + width) overlaps a site starting at
// one of `starts` and `siteWidth` wide.
bool overlapsAny(const std::vector<long long>& starts, long long position, int width, int siteWidth) {
  // Sites starting after position - siteWidth and before position + width.
  const auto first = std::upper_bound(starts.begin(), starts.end(), position - siteWidth);
  return first != starts.end() && *first < position + width;
}

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

std::string motifSharingSites(const Discovery& d, const std::vector<enrichment::Site>& sites, int width) {
  if (sites.empty()) return "";
  std::string best;
  std::size_t bestShared = 0;
  for (const ReportedMotif& m : d.motifs) {
    const int siteWidth = d.candidateOf(m).motif.width();
    const std::vector<std::vector<long long>> starts = siteStarts(m, d.primary.records.size());
    std::size_t shared = 0;
    for (const enrichment::Site& s : sites) shared += overlapsAny(starts.at(s.sequence), s.position, width, siteWidth);
    if (shared > bestShared) {
      bestShared = shared;
      best = m.id;
    }
  }
  return static_cast<double>(bestShared) > kSharedSitesShare * static_cast<double>(sites.size()) ? best : "";
}

void testKnownMotifs(Discovery& d, const std::vector<FastaRecord>& control, StepProgress& progress) {
  progress.begin("Known motifs");
  enrichment::Options options;
  options.threads = d.options.threads;
  options.bothStrands = d.options.bothStrands;
  options.progress = [&](std::size_t tested, std::size_t total) {
    progress.update(std::to_string(tested) + " of " + std::to_string(total) + " tested",
                    static_cast<double>(tested) / static_cast<double>(total));
  };
  // A large set is tested on every k-th primary and control sequence.
  d.knownStep = thinningStep(d.primary.records, kKnownLetters);
  const std::vector<FastaRecord> primary = everyKth(d.primary.records, d.knownStep);
  d.known = known::testDatabase(d.knownMotifs, primary, everyKth(control, d.knownStep), options);
  d.knownRun = true;
  d.central.known.assign(d.known.size(), std::nullopt);
  for (std::size_t k = 0; k < d.known.size(); ++k) {
    known::KnownResult& r = d.known[k];
    if (r.log10Q >= std::log10(known::kEnrichedQ)) continue;
    std::vector<enrichment::Site> sites =
        enrichment::sitesAtThreshold(r.test.motif.frequencies, primary, enrichment::SequenceSet::Primary,
                                     r.test.choice.threshold, d.options.bothStrands, d.options.threads);
    for (enrichment::Site& site : sites) site.sequence *= d.knownStep;  // in the whole primary set
    r.sameSitesAs = motifSharingSites(d, sites, static_cast<int>(r.test.motif.frequencies.size()));
    describeKnownSites(d, k, sites);
  }
  progress.end(std::to_string(d.known.size()) + " tested, " + std::to_string(known::enrichedCount(d.known)) +
               " with q < " + numbers::fixedPoint(known::kEnrichedQ, 2));
}

std::string knownTable(const Discovery& d) { return known_table::table(d.known, knownCentralColumns(d)); }

void writeKnownLog(std::ostream& out, const Discovery& d) {
  if (!d.knownRun) {
    out << "known motifs: not tested (--no-known)\n";
    return;
  }
  out << "known motifs: " << d.known.size() << " tested on " << testedText(d) << "; "
      << known::enrichedCount(d.known) << " with q < " << numbers::fixedPoint(known::kEnrichedQ, 2)
      << " (known.tsv)\n";
  for (std::size_t i = 0; i < std::min(d.known.size(), kKnownLogged); ++i) {
    const known::KnownResult& r = d.known[i];
    if (r.log10Q >= std::log10(known::kEnrichedQ)) break;
    const enrichment_stats::Table& t = r.test.choice.table;
    out << "  " << r.rank << ". " << r.test.motif.id << (r.name.empty() ? "" : " " + r.name) << ": "
        << numbers::percentOf(t.primaryHits, t.primaryTotal) << " of primary, "
        << numbers::percentOf(t.controlHits, t.controlTotal)
        << " of control sequences, E = " << numbers::scientificFromLog10(r.test.log10E)
        << ", q = " << numbers::scientificFromLog10(r.log10Q)
        << (r.sameSitesAs.empty() ? "" : ", sites mostly those of " + r.sameSitesAs) << "\n";
  }
}

void writeKnownSection(std::ostream& out, const Discovery& d) {
  if (!d.knownRun) return;
  std::vector<known_table::Row> rows;
  std::vector<const motif::Motif*> motifs;
  for (const known::KnownResult& r : d.known) {
    rows.push_back(known_table::rowOf(r));
    motifs.push_back(&d.knownMotifs.at(r.index));
  }
  export_html::KnownSection section;
  section.tableLink = "known.tsv";
  section.tested = "Every motif of the database was tested on " + testedText(d) + ", the way the motifs found here were.";
  section.linkDiscovered = true;
  export_html::writeKnownSection(out, rows, motifs, section);
}

const char* knownSectionStyle() { return export_html::kKnownStyle; }

}  // namespace discover
