#include "stats/known_rows.h"

#include "base/errors.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"

namespace known_table {

Row rowOf(const known::KnownResult& r) {
  const enrichment_stats::Table& t = r.test.choice.table;
  Row row;
  row.rank = r.rank;
  row.id = enrichment_table::withoutTabs(r.test.motif.id);
  row.name = enrichment_table::withoutTabs(r.name);
  row.consensus = r.test.motif.consensus;
  row.threshold = enrichment_table::thresholdText(r.test.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.log10P = enrichment_table::log10Text(r.test.log10PAdjusted);
  row.log10E = enrichment_table::log10Text(r.test.log10E);
  row.q = numbers::scientificFromLog10(r.log10Q);
  row.sameSitesAs = r.sameSitesAs.empty() ? "NA" : r.sameSitesAs;
  return row;
}

std::string table(const std::vector<known::KnownResult>& results) {
  std::string text = std::string(kHeader) + '\n';
  for (const known::KnownResult& r : results) text += line(rowOf(r)) + '\n';
  return text;
}

std::string table(const std::vector<known::KnownResult>& results, const std::vector<CentralColumns>& central) {
  ZK_ASSERT(central.size() == results.size());
  std::string text = std::string(kCentralHeader) + '\n';
  for (std::size_t i = 0; i < results.size(); ++i) {
    Row row = rowOf(results[i]);
    row.central = central[i];
    text += line(row) + '\n';
  }
  return text;
}

}  // namespace known_table
