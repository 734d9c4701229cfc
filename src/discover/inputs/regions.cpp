#include "discover/inputs/regions.h"

namespace discover {

std::optional<stats::Interval> regionOfHeader(const std::string& header) {
  const std::size_t named = header.rfind("::");
  std::string text = named == std::string::npos ? header : header.substr(named + 2);
  if (text.size() > 3 && text.compare(text.size() - 3, 3, "(.)") == 0) text.resize(text.size() - 3);
  return stats::intervalOfName(text);
}

HeaderRegions regionsOfRecords(const std::vector<FastaRecord>& records, const std::vector<long long>& givenLengths) {
  HeaderRegions result;
  std::vector<stats::Interval> regions;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string record = "record " + std::to_string(i + 1) + " (" + records[i].name + ")";
    std::optional<stats::Interval> region = regionOfHeader(records[i].name);
    if (!region) {
      result.whyNot = record + " names no genome region chrom:start-end";
      return result;
    }
    const long long length = givenLengths.at(i);
    if (region->end - region->start != length) {
      result.whyNot = record + ": its region spans " + std::to_string(region->end - region->start) +
                      " letters, the record holds " + std::to_string(length);
      return result;
    }
    regions.push_back(std::move(*region));
  }
  result.regions = std::move(regions);
  return result;
}

stats::Interval genomeStretch(const stats::Interval& region, long long start, long long width, bool forward) {
  if (region.strand != '-')
    return {region.chrom, region.start + start - 1, region.start + start - 1 + width, forward ? '+' : '-'};
  // Letter k (from 1) of a reverse record is the genome's letter end - k (0-based).
  return {region.chrom, region.end - start - width + 1, region.end - start + 1, forward ? '-' : '+'};
}

}  // namespace discover
