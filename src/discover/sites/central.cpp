#include "discover/sites/central.h"

#include <algorithm>
#include <set>

#include "base/errors.h"

namespace discover {

CentralSetting centralSetting(const std::vector<FastaRecord>& records, int trim) {
  CentralSetting setting;
  std::set<std::size_t> lengths;
  for (const FastaRecord& r : records) lengths.insert(r.letters.size());
  if (trim > 0) {
    const std::size_t trimmed = static_cast<std::size_t>(trim);
    setting.sequences = static_cast<std::size_t>(std::count_if(
        records.begin(), records.end(), [&](const FastaRecord& r) { return r.letters.size() == trimmed; }));
    if (setting.sequences == 0)
      setting.whyNot = "no primary sequence has the " + std::to_string(trim) + " letters of --trim";
    else
      setting.sequenceLength = trim;
    return setting;
  }
  if (lengths.size() == 1) {
    setting.sequenceLength = static_cast<int>(*lengths.begin());
    setting.sequences = records.size();
  } else {
    setting.whyNot = "the primary sequences are of " + std::to_string(lengths.size()) + " lengths (" +
                     std::to_string(*lengths.begin()) + " to " + std::to_string(*lengths.rbegin()) +
                     " letters), not windows of one length; --trim cuts them to one";
  }
  return setting;
}

std::optional<stats::CentralResult> centralOfSites(const CentralSetting& setting,
                                                   const std::vector<FastaRecord>& records,
                                                   const std::vector<stats::EnrichmentSite>& sites,
                                                   const std::vector<double>& log10P, int width) {
  ZK_ASSERT(sites.size() == log10P.size());
  const int length = setting.sequenceLength;
  if (length == 0 || width > length || stats::widthsTried(length - width + 1).empty()) return std::nullopt;
  // The best site of each sequence of the length, by index into `sites`.
  std::vector<std::optional<std::size_t>> best(records.size());
  for (std::size_t i = 0; i < sites.size(); ++i) {
    const std::size_t s = sites[i].sequence;
    ZK_ASSERT(s < records.size());
    if (records[s].letters.size() != static_cast<std::size_t>(length)) continue;
    if (!best[s] || log10P[i] < log10P[*best[s]]) best[s] = i;
  }
  std::vector<int> starts;
  for (const std::optional<std::size_t>& i : best)
    if (i) starts.push_back(static_cast<int>(sites[*i].position - 1));
  return stats::centralEnrichment(length, width, starts);
}

}  // namespace discover
