#include "formats/site_table.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/errors.h"
#include "formats/bed_writer.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"

namespace formats {

namespace {

constexpr int kBedScorePerDecade = 100;
constexpr int kBedScoreTop = 1000;

std::string significance(double value) { return formats::scientificFromLog10(std::log10(value)); }

// The place a bed or gff3 line gives: the genome's when known, else the
// sequence's.
GenomePlace placeOf(const SiteRow& row) {
  if (row.place) return *row.place;
  return {row.sequence, row.start, row.end, row.strand};
}

std::string tsvLine(const SiteRow& r) {
  return r.motifId + '\t' + r.motifAlt + '\t' + r.sequence + '\t' + std::to_string(r.start + 1) + '\t' +
         std::to_string(r.end) + '\t' + r.strand + '\t' + formats::fixedPoint(r.score, 2) + '\t' + significance(r.p) +
         '\t' + significance(r.q) + '\t' + r.matched + '\n';
}

int bedScore(double p) {
  const double score = std::round(-kBedScorePerDecade * std::log10(p));
  return static_cast<int>(std::clamp(score, 0.0, static_cast<double>(kBedScoreTop)));
}

// A name without blanks for BED's name column.
std::string bedName(const std::string& text) {
  std::string name = text;
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return std::isspace(c) != 0; }, '_');
  return name;
}

// GFF3 text with the characters its columns reserve written as %XX.
std::string seqid(const std::string& text) { return formats::percentEncoded(text, ".:^*$@!+_?-|"); }
std::string attribute(const std::string& text) { return formats::percentEncoded(text, ".:^*$@!+_?-|/()[]{} '\"#<>~`"); }

std::string gffLine(const SiteRow& r, long long number) {
  const GenomePlace at = placeOf(r);
  std::string line = seqid(at.chrom) + "\tzelkova-scan\tTF_binding_site\t" + std::to_string(at.start + 1) + '\t' +
                     std::to_string(at.end) + '\t' + formats::fixedPoint(r.score, 2) + '\t' + at.strand +
                     "\t.\tID=site_" + std::to_string(number) + ";Name=" + attribute(r.motifId);
  if (!r.motifAlt.empty()) line += ";Alias=" + attribute(r.motifAlt);
  return line + ";pvalue=" + significance(r.p) + ";qvalue=" + significance(r.q) + ";sequence=" + r.matched + '\n';
}

}  // namespace

std::string siteHeaderText(Layout layout) {
  switch (layout) {
    case Layout::Tsv: return "motif_id\tmotif_alt_id\tsequence\tstart\tend\tstrand\tscore\tp\tq\tmatched_sequence\n";
    case Layout::Gff3: return "##gff-version 3\n";
    case Layout::Bed: return "";
  }
  ZK_ASSERT(false);
  return "";
}

std::string siteRowsText(Layout layout, const std::vector<SiteRow>& rows, long long firstNumber) {
  if (layout == Layout::Bed) {
    std::vector<formats::BedRecord> records;
    records.reserve(rows.size());
    for (const SiteRow& r : rows) {
      const GenomePlace at = placeOf(r);
      records.push_back({at.chrom, at.start, at.end, bedName(r.motifId), bedScore(r.p), at.strand});
    }
    return formats::bedText(records);
  }
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i)
    text += layout == Layout::Tsv ? tsvLine(rows[i]) : gffLine(rows[i], firstNumber + static_cast<long long>(i));
  return text;
}

}  // namespace formats
