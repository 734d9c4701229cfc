#include "discover_tables.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "enrichment_table.h"
#include "export_formats.h"

namespace discover {

using enrichment_table::withoutTabs;

const char* const kSummaryHeader =
    "rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\t"
    "control_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E";
const char* const kSitesHeader = "motif_id\tsequence\tstart\tend\tstrand\tscore\tword";

namespace {

std::string decoyText(const std::optional<bool>& beats) {
  if (!beats) return "NA";
  return *beats ? "yes" : "no";
}

std::string bestMatchColumns(const ReportedMotif& m) {
  if (m.matches.empty()) return "NA\tNA\tNA";
  const match_table::Row& best = m.matches.front();
  return withoutTabs(best.targetId) + '\t' + (best.targetName.empty() ? "NA" : withoutTabs(best.targetName)) + '\t' +
         match_table::formatValue(best.e);
}

}  // namespace

std::string summaryTable(const Discovery& d) {
  std::ostringstream out;
  out << kSummaryHeader << '\n';
  for (const ReportedMotif& m : d.motifs) {
    const Candidate& c = d.candidateOf(m);
    const Search& s = d.searchOf(c);
    const enrichment_stats::Table& t = c.test.choice.table;
    out << m.rank << '\t' << m.id << '\t' << s.length << '\t' << s.mismatches << '\t' << c.motif.consensus << '\t'
        << enrichment_table::thresholdText(c.test.choice.threshold) << '\t' << enrichment_table::log10Text(c.test.log10E)
        << '\t' << decoyText(m.beatsDecoy) << '\t' << t.primaryHits << '\t' << t.primaryTotal << '\t'
        << t.controlHits << '\t' << t.controlTotal << '\t' << bestMatchColumns(m) << '\n';
  }
  return out.str();
}

std::string siteTable(const Discovery& d) {
  std::ostringstream out;
  out << kSitesHeader << '\n';
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    for (const enrichment::Site& site : m.sites) {
      const long long start = givenStart(d, site);
      out << m.id << '\t' << withoutTabs(d.primary.records[site.sequence].name) << '\t' << start << '\t'
          << start + width - 1 << '\t' << (site.forward ? '+' : '-') << '\t'
          << export_formats::fixedPoint(site.score, 4) << '\t' << site.word << '\n';
    }
  }
  return out.str();
}

std::string siteBed(const Discovery& d) {
  if (!d.regions) throw std::logic_error("sites.bed needs a genome region for every sequence");
  std::ostringstream out;
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    for (const enrichment::Site& site : m.sites) {
      const GenomeRegion& region = (*d.regions)[site.sequence];
      const long long start = region.start + givenStart(d, site) - 1;
      out << region.chrom << '\t' << start << '\t' << start + width << '\t' << m.id << '\t'
          << std::lround(1000.0 * site.score) << '\t' << (site.forward ? '+' : '-') << '\n';
    }
  }
  return out.str();
}

}  // namespace discover
