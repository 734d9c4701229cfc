#include "discover/regions.h"

#include <cctype>

namespace discover {

namespace {

// A whole number of digits only, without overflow.
std::optional<long long> digits(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::optional<genome_intervals::Interval> regionOfHeader(const std::string& header) {
  const std::size_t named = header.rfind("::");
  std::string text = named == std::string::npos ? header : header.substr(named + 2);
  char strand = '.';
  for (const char* suffix : {"(+)", "(-)", "(.)"})
    if (endsWith(text, suffix)) {
      strand = suffix[1];
      text.resize(text.size() - 3);
      break;
    }
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  for (std::size_t i = 0; i < colon; ++i)
    if (std::isspace(static_cast<unsigned char>(text[i]))) return std::nullopt;
  const std::size_t dash = text.find('-', colon + 1);
  if (dash == std::string::npos) return std::nullopt;
  const std::optional<long long> start = digits(text.substr(colon + 1, dash - colon - 1));
  const std::optional<long long> end = digits(text.substr(dash + 1));
  if (!start || !end || *start >= *end) return std::nullopt;
  return genome_intervals::Interval{text.substr(0, colon), *start, *end, strand};
}

HeaderRegions regionsOfRecords(const std::vector<FastaRecord>& records, const std::vector<long long>& givenLengths) {
  HeaderRegions result;
  std::vector<genome_intervals::Interval> regions;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string record = "record " + std::to_string(i + 1) + " (" + records[i].name + ")";
    std::optional<genome_intervals::Interval> region = regionOfHeader(records[i].name);
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

genome_intervals::Interval genomeStretch(const genome_intervals::Interval& region, long long start, long long width,
                                         bool forward) {
  if (region.strand != '-')
    return {region.chrom, region.start + start - 1, region.start + start - 1 + width, forward ? '+' : '-'};
  // Letter k (from 1) of a reverse record is the genome's letter end - k (0-based).
  return {region.chrom, region.end - start - width + 1, region.end - start + 1, forward ? '-' : '+'};
}

}  // namespace discover
