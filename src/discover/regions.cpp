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

}  // namespace

std::optional<GenomeRegion> regionOfHeader(const std::string& header) {
  const std::size_t colon = header.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  for (std::size_t i = 0; i < colon; ++i)
    if (std::isspace(static_cast<unsigned char>(header[i]))) return std::nullopt;
  const std::size_t dash = header.find('-', colon + 1);
  if (dash == std::string::npos) return std::nullopt;
  const std::optional<long long> start = digits(header.substr(colon + 1, dash - colon - 1));
  const std::optional<long long> end = digits(header.substr(dash + 1));
  if (!start || !end || *start >= *end) return std::nullopt;
  return GenomeRegion{header.substr(0, colon), *start, *end};
}

std::optional<std::vector<GenomeRegion>> regionsOfRecords(const std::vector<FastaRecord>& records,
                                                          const std::vector<long long>& givenLengths) {
  std::vector<GenomeRegion> regions;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::optional<GenomeRegion> region = regionOfHeader(records[i].name);
    if (!region || region->end - region->start != givenLengths.at(i)) return std::nullopt;
    regions.push_back(std::move(*region));
  }
  return regions;
}

}  // namespace discover
