#include "stats/known_rows.h"

#include "base/errors.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"

namespace stats {

formats::KnownRow rowOf(const stats::KnownResult& r) {
  const stats::HitTable& t = r.test.choice.table;
  formats::KnownRow row;
  row.rank = r.rank;
  row.id = formats::withoutTabs(r.test.motif.id);
  row.name = formats::withoutTabs(r.name);
  row.consensus = r.test.motif.consensus;
  row.threshold = formats::thresholdText(r.test.choice.threshold);
  row.primaryHits = t.primaryHits;
  row.primaryTotal = t.primaryTotal;
  row.controlHits = t.controlHits;
  row.controlTotal = t.controlTotal;
  row.log10P = formats::log10Text(r.test.log10PAdjusted);
  row.log10E = formats::log10Text(r.test.log10E);
  row.q = formats::scientificFromLog10(r.log10Q);
  row.sameSitesAs = r.sameSitesAs.empty() ? "NA" : r.sameSitesAs;
  return row;
}

std::string knownTable(const std::vector<stats::KnownResult>& results) {
  std::string text = std::string(formats::kKnownHeader) + '\n';
  for (const stats::KnownResult& r : results) text += formats::knownLine(rowOf(r)) + '\n';
  return text;
}

std::string knownTable(const std::vector<stats::KnownResult>& results,
                       const std::vector<formats::CentralColumns>& central) {
  ZK_ASSERT(central.size() == results.size());
  std::string text = std::string(formats::kCentralHeader) + '\n';
  for (std::size_t i = 0; i < results.size(); ++i) {
    formats::KnownRow row = rowOf(results[i]);
    row.central = central[i];
    text += formats::knownLine(row) + '\n';
  }
  return text;
}

}  // namespace stats
