#include "stats/enrichment_rows.h"

#include <cmath>
#include <ostream>

#include "formats/numbers.h"

namespace enrichment_table {

using numbers::fixedPoint;

namespace {

std::string ratioText(double ratio) {
  if (std::isnan(ratio)) return "NA";
  if (std::isinf(ratio)) return "inf";
  return fixedPoint(ratio, 3);
}

}  // namespace

Row rowOf(const enrichment::MotifResult& r) {
  const enrichment_stats::Table& t = r.choice.table;
  Row row;
  row.rank = r.motif.rank;
  row.id = r.motif.id;
  row.consensus = r.motif.consensus;
  row.threshold = thresholdText(r.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.enrichment = ratioText(enrichment::enrichmentRatio(t));
  row.log10P = log10Text(r.choice.log10P);
  row.log10PAdjusted = log10Text(r.log10PAdjusted);
  row.log10E = log10Text(r.log10E);
  return row;
}

void writeTable(std::ostream& out, const std::vector<enrichment::MotifResult>& results) {
  out << kTableHeader << '\n';
  for (const enrichment::MotifResult& r : results) out << line(rowOf(r)) << '\n';
}

void writeSites(std::ostream& out, const std::vector<enrichment::MotifResult>& results,
                const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control) {
  out << kSitesHeader << '\n';
  for (const enrichment::MotifResult& r : results) {
    for (const enrichment::Site& s : r.sites) {
      const bool isPrimary = s.set == enrichment::SequenceSet::Primary;
      const FastaRecord& record = isPrimary ? primary.at(s.sequence) : control.at(s.sequence);
      out << r.motif.id << '\t' << (isPrimary ? "primary" : "control") << '\t' << withoutTabs(record.name) << '\t'
          << s.position << '\t' << (s.forward ? '+' : '-') << '\t' << s.word << '\t' << fixedPoint(s.score, 4) << '\n';
    }
  }
}

}  // namespace enrichment_table
