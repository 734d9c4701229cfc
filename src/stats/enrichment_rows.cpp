#include "stats/enrichment_rows.h"

#include <cmath>
#include <ostream>

#include "formats/numbers.h"

namespace stats {

using formats::fixedPoint;

namespace {

std::string ratioText(double ratio) {
  if (std::isnan(ratio)) return "NA";
  if (std::isinf(ratio)) return "inf";
  return fixedPoint(ratio, 3);
}

}  // namespace

formats::EnrichmentRow rowOf(const stats::MotifResult& r) {
  const stats::HitTable& t = r.choice.table;
  formats::EnrichmentRow row;
  row.rank = r.motif.rank;
  row.id = r.motif.id;
  row.consensus = r.motif.consensus;
  row.threshold = formats::thresholdText(r.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.enrichment = ratioText(stats::enrichmentRatio(t));
  row.log10P = formats::log10Text(r.choice.log10P);
  row.log10PAdjusted = formats::log10Text(r.log10PAdjusted);
  row.log10E = formats::log10Text(r.log10E);
  return row;
}

void writeEnrichmentTable(std::ostream& out, const std::vector<stats::MotifResult>& results) {
  out << formats::kEnrichmentHeader << '\n';
  for (const stats::MotifResult& r : results) out << formats::enrichmentLine(rowOf(r)) << '\n';
}

void writeEnrichmentSites(std::ostream& out, const std::vector<stats::MotifResult>& results,
                          const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control) {
  out << formats::kEnrichmentSitesHeader << '\n';
  for (const stats::MotifResult& r : results) {
    for (const stats::EnrichmentSite& s : r.sites) {
      const bool isPrimary = s.set == stats::SequenceRole::Primary;
      const FastaRecord& record = isPrimary ? primary.at(s.sequence) : control.at(s.sequence);
      out << r.motif.id << '\t' << (isPrimary ? "primary" : "control") << '\t' << formats::withoutTabs(record.name)
          << '\t' << s.position << '\t' << (s.forward ? '+' : '-') << '\t' << s.word << '\t' << fixedPoint(s.score, 4)
          << '\n';
    }
  }
}

}  // namespace stats
