#include "discover/report/tables.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "base/errors.h"
#include "discover/report/site_outputs.h"
#include "formats/bed_writer.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"

namespace discover {

static_assert(kMaxLength == formats::kLongestSummaryMotif, "summary.tsv reads the motifs discovery reports");

using formats::withoutTabs;

const char* const kSitesHeader =
    "motif_id\tsequence\tstart\tend\tstrand\tscore\tword\tchrom\tgenome_start\tgenome_end\tgenome_strand\tlog10_p";

namespace {

std::string decoyText(const std::optional<bool>& beats) {
  if (!beats) return "NA";
  return *beats ? "yes" : "no";
}

// The best known match goes into best_match_* only when it is convincing,
// as the page names it; a weaker best one into weak_match_*.
void setBestMatch(formats::SummaryRow& row, const ReportedMotif& m) {
  row.bestMatchId = row.bestMatchName = row.bestMatchE = row.weakMatchId = row.weakMatchE = "NA";
  if (m.matches.empty()) return;
  const formats::MatchRow& best = m.matches.front();
  if (!convincingMatch(best)) {
    row.weakMatchId = withoutTabs(best.targetId);
    row.weakMatchE = formats::formatMatchValue(best.e);
    return;
  }
  row.bestMatchId = withoutTabs(best.targetId);
  row.bestMatchName = best.targetName.empty() ? "NA" : withoutTabs(best.targetName);
  row.bestMatchE = formats::formatMatchValue(best.e);
}

}  // namespace

formats::SummaryRow summaryRow(const Discovery& d, const ReportedMotif& m) {
  const Candidate& c = d.candidateOf(m);
  const Search& s = d.searchOf(c);
  const stats::HitTable& t = c.test.choice.table;
  formats::SummaryRow row;
  row.rank = m.rank;
  row.id = m.id;
  row.length = c.motif.width();  // refinement may trim the search's length
  row.mismatches = s.mismatches;
  row.consensus = c.motif.consensus;
  row.threshold = formats::thresholdText(c.test.choice.threshold);
  row.log10E = formats::log10Text(c.test.log10E);
  row.beatsDecoy = decoyText(m.beatsDecoy);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  setBestMatch(row, m);
  row.conditionalLog10E = formats::log10Text(m.conditional.log10E);
  row.lowComplexity = m.lowComplexity ? "yes" : "no";
  const formats::CentralColumns central = centralColumns(d.central.reported.at(static_cast<std::size_t>(m.rank - 1)));
  row.centralLog10P = central.log10P;
  row.centralWidth = central.width;
  return row;
}

std::string summaryTable(const Discovery& d) {
  std::string table = std::string(formats::kSummaryHeader) + '\n';
  for (const ReportedMotif& m : d.motifs) table += formats::summaryLine(summaryRow(d, m)) + '\n';
  return table;
}

namespace {

// The genome columns of a site: 1-based and inclusive as start and end are;
// NA in each without genome regions.
std::string genomeFields(const std::optional<stats::Interval>& at) {
  if (!at) return "NA\tNA\tNA\tNA";
  return at->chrom + '\t' + std::to_string(at->start + 1) + '\t' + std::to_string(at->end) + '\t' + at->strand;
}

}  // namespace

std::string siteTable(const Discovery& d) {
  std::ostringstream out;
  out << kSitesHeader << '\n';
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    ZK_ASSERT(m.siteLog10P.size() == m.sites.size());
    for (std::size_t i = 0; i < m.sites.size(); ++i) {
      const stats::EnrichmentSite& site = m.sites[i];
      const long long start = givenStart(d, site);
      out << m.id << '\t' << withoutTabs(d.primary.records[site.sequence].name) << '\t' << start << '\t'
          << start + width - 1 << '\t' << (site.forward ? '+' : '-') << '\t' << formats::fixedPoint(site.score, 4)
          << '\t' << site.word << '\t' << genomeFields(siteInGenome(d, site, width)) << '\t'
          << formats::log10Text(m.siteLog10P[i]) << '\n';
    }
  }
  return out.str();
}

std::string siteBed(const Discovery& d) {
  ZK_CHECK(d.regions.has_value(), "sites.bed has a genome region for every sequence");
  std::vector<formats::BedRecord> records;
  for (const ReportedMotif& m : d.motifs) {
    const long long width = d.candidateOf(m).motif.width();
    for (const stats::EnrichmentSite& site : m.sites) {
      const stats::Interval at = *siteInGenome(d, site, width);
      const int score = std::clamp(static_cast<int>(std::lround(1000.0 * site.score)), 0, 1000);
      records.push_back({at.chrom, at.start, at.end, m.id, score, at.strand});
    }
  }
  return formats::bedText(records);
}

}  // namespace discover
