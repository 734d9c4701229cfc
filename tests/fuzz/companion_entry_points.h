// The entry points of the fuzz targets of the companion programs' readers,
// shared with the regression test like those of entry_points.h: the FASTA
// reader by DNA rules, every motif file format, the tables and logs that
// zelkova-export and zelkova-aggregate read back, and the peak (BED,
// narrowPeak) and background files of zelkova-discover and zelkova-scan. Each returns how the reader
// ended and aborts when what it produced breaks a rule it can check alone.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "discover/report/log.h"
#include "discover/report/tables.h"
#include "entry_points.h"
#include "formats/dna_letters.h"
#include "formats/enrichment_table.h"
#include "formats/fasta.h"
#include "formats/known_table.h"
#include "formats/match_table.h"
#include "formats/meme_background.h"
#include "formats/motif_files.h"
#include "formats/peaks.h"
#include "formats/text_lines.h"

namespace fuzz_entry {

// ---------------------------------------------------------------------------
// FASTA by the companions' DNA rules

// The bytes as a file with a path (a memory file: the reader opens by path).
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("fuzz.fa", 0)) {
    FUZZ_REQUIRE(fd_ >= 0);
    for (std::size_t done = 0; done < size;) {
      const ssize_t wrote = ::write(fd_, data + done, size - done);
      FUZZ_REQUIRE(wrote > 0);
      done += static_cast<std::size_t>(wrote);
    }
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// What readDnaFile must give for `text` (not gzip) read from `path`, worked
// out from the rules: the records, their IUPAC letters, or the message.
struct ExpectedDna {
  std::vector<FastaRecord> records;
  std::uint64_t iupac = 0;
  std::string error;
};

inline bool isDnaBase(unsigned char c) {
  return std::string("ACGTNacgtn").find(static_cast<char>(c)) != std::string::npos && c;
}
inline bool isIupac(unsigned char c) {
  return c && std::string("RYSWKMBDHVryswkmbdhv").find(static_cast<char>(c)) != std::string::npos;
}

inline std::string recordLabel(const std::string& name, std::size_t number) {
  return isBlankText(name) ? "record number " + std::to_string(number) : "record " + formats::printable(name, 80);
}

inline ExpectedDna expectedDna(const std::string& text, const std::string& path, const DnaRules& rules) {
  ExpectedDna out;
  const std::string format = formats::binaryFormat(text.substr(0, 65536));
  if (!format.empty()) {
    out.error = "Error: " + path + ": " + format + ".\n";
    return out;
  }
  const std::size_t n = text.size();
  std::size_t i = 0;
  long long line = 1;
  std::uint64_t inInput = 0, headers = 0;
  for (;;) {
    for (; i < n && text[i] != '>'; ++i)
      if (text[i] == '\n') ++line;
    if (i == n) break;
    ++i;
    const std::string name = expectedHeader(text, i, rules.maxNameLength);
    if (text[i - 1] == '\n') ++line;
    if (endsAfterBlankHeader(text, i, name)) break;
    const std::string label = recordLabel(name, out.records.size() + 1);
    headers += name.size() + DnaRules::kRecordLetters;
    if (headers > rules.maxLetters) {
      out.error = "Error: " + path + ": " + label + " brings the headers past " + std::to_string(rules.maxLetters) +
                  " letters (each record counts 64 and its header; limit set by --max-letters)\n";
      return out;
    }
    FastaRecord record{name, ""};
    for (; i < n && text[i] != '>'; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == '\n') ++line;
      if (isSpace(c)) continue;
      if (!isDnaBase(c) && !isIupac(c)) {
        out.error =
            "Error: " + path + ":" + std::to_string(line) + ": " + label + ": " + formats::letterRefusal(c) + "\n";
        return out;
      }
      if (isIupac(c)) ++out.iupac;
      const bool lower = std::islower(c) != 0;
      record.letters.push_back(
          isIupac(c) || (lower && rules.lowerCase == LowerCase::AsN) ? 'N' : static_cast<char>(std::toupper(c)));
      const std::string limit = std::to_string(rules.maxLetters) + " letters (limit set by --max-letters)\n";
      if (record.letters.size() > rules.maxLetters) {
        out.error = "Error: " + path + ": " + label + " exceeds " + limit;
        return out;
      }
      if (++inInput > rules.maxLetters) {
        out.error = "Error: " + path + ": " + label + " takes the input past " + limit;
        return out;
      }
    }
    out.records.push_back(record);
  }
  if (out.records.empty()) out.error = "Error: " + path + " holds no FASTA record (a line starting with '>').\n";
  return out;
}

// The first byte picks the rules: bit 0 lower case as N, bit 1 a limit of 70
// to 133 letters (the other six bits), just above the room of one record;
// the rest is the file. Gzip input is
// read too, but only checked for ending cleanly.
inline Result dnaFasta(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  DnaRules rules;
  rules.lowerCase = (data[0] & 1) ? LowerCase::AsN : LowerCase::AsUpper;
  if (data[0] & 2) rules.maxLetters = 70 + (data[0] >> 2);
  ++data;
  --size;
  const MemoryFile file(data, size);
  Result result;
  DnaFile read;
  try {
    read = readDnaFile(file.path(), rules);
  } catch (const FatalError& e) {
    result.refused = true;
    result.message = e.what();
    FUZZ_REQUIRE(startsWith(result.message, "Error: ") && result.message.find(file.path()) != std::string::npos);
    for (unsigned char c : result.message) FUZZ_REQUIRE((c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n');
  }
  const bool gzip = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
  if (gzip) return result;
  const ExpectedDna expected = expectedDna(std::string(reinterpret_cast<const char*>(data), size), file.path(), rules);
  FUZZ_REQUIRE(result.message == expected.error);
  if (result.refused) return result;
  FUZZ_REQUIRE(read.iupacLetters == expected.iupac);
  FUZZ_REQUIRE(read.records.size() == expected.records.size());
  for (std::size_t r = 0; r < read.records.size(); ++r) {
    FUZZ_REQUIRE(read.records[r].name == expected.records[r].name);
    FUZZ_REQUIRE(read.records[r].letters == expected.records[r].letters);
    FUZZ_REQUIRE(read.records[r].letters.find_first_not_of("ACGTN") == std::string::npos);
  }
  return result;
}

// The bytes after the first, which picks what they are read as.
inline std::istringstream afterFirstByte(const std::uint8_t* data, std::size_t size) {
  return std::istringstream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
}

// ---------------------------------------------------------------------------
// Motif files

// The first byte picks the reader: the one that tells the format from the
// content, or MEME, JASPAR, plain JASPAR, TRANSFAC or HOMER directly.
inline Result motifFile(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const int reader = data[0] % 6;
  std::istringstream in = afterFirstByte(data, size);
  const std::string source = "fuzz.motifs";
  Result result;
  try {
    std::vector<formats::Motif> motifs;
    switch (reader) {
      case 0: motifs = formats::readMotifs(in, source); break;
      case 1: motifs = formats::readMeme(in, source); break;
      case 2: motifs = formats::readJaspar(in, source); break;
      case 3: motifs = formats::readJasparPlain(in, source); break;
      case 4: motifs = formats::readTransfac(in, source); break;
      default: motifs = formats::readHomer(in, source); break;
    }
    for (const formats::Motif& m : motifs) {
      FUZZ_REQUIRE(m.width() >= 1 && m.source == source && m.line >= 1);
      for (const formats::Column& column : m.columns)
        for (double v : column) FUZZ_REQUIRE(std::isfinite(v) && v >= 0.0);
      FUZZ_REQUIRE(formats::consensus(m.columns).size() == m.columns.size());
      // What the comparison works from: frequencies, each column adding up to 1.
      for (const formats::Column& column : formats::frequencies(m, 0.25)) {
        double total = 0;
        for (double v : column) {
          FUZZ_REQUIRE(std::isfinite(v) && v >= 0.0);
          total += v;
        }
        FUZZ_REQUIRE(std::fabs(total - 1.0) < 1e-6);
      }
    }
  } catch (const ReadError& e) {
    result.refused = true;
    result.message = e.what();
    FUZZ_REQUIRE(startsWith(result.message, source + ":"));
  }
  return result;
}

// ---------------------------------------------------------------------------
// Tables and logs read back by zelkova-export and zelkova-aggregate

// A table accepted once is accepted again as written back, unchanged.
inline void requireSummaryRoundTrip(const std::vector<formats::SummaryRow>& rows) {
  std::string text = std::string(formats::kSummaryHeader) + "\n";
  for (const formats::SummaryRow& row : rows) {
    FUZZ_REQUIRE(row.rank >= 1 && row.primaryHits <= row.primaryTotal && row.controlHits <= row.controlTotal);
    text += formats::summaryLine(row) + "\n";
  }
  std::istringstream again(text);
  const std::vector<formats::SummaryRow> reread = formats::readSummaryTable(again, "again");
  FUZZ_REQUIRE(reread.size() == rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    FUZZ_REQUIRE(formats::summaryLine(reread[i]) == formats::summaryLine(rows[i]));
}

inline void requireMatchRoundTrip(const std::vector<formats::MatchRow>& rows) {
  std::ostringstream once;
  formats::writeMatchTable(once, rows);
  std::istringstream in(once.str());
  std::ostringstream twice;
  formats::writeMatchTable(twice, formats::readMatchTable(in, "again"));
  FUZZ_REQUIRE(twice.str() == once.str());
}

inline void requireKnownRows(const std::vector<formats::KnownRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const formats::KnownRow& row = rows[i];
    FUZZ_REQUIRE(row.rank == static_cast<int>(i) + 1 && !row.id.empty() && row.line >= 2);
    FUZZ_REQUIRE(row.primaryHits <= row.primaryTotal && row.controlHits <= row.controlTotal);
  }
}

inline void requirePeaks(const formats::PeakFile& file) {
  for (const formats::Peak& p : file.peaks) {
    FUZZ_REQUIRE(!p.chrom.empty() && p.start >= 0 && p.start < p.end && p.line >= 1);
    FUZZ_REQUIRE(!p.summit || (*p.summit >= 0 && *p.summit < p.end - p.start));
    FUZZ_REQUIRE(p.strand == '+' || p.strand == '-' || p.strand == '.');
  }
}

// Four probabilities above 0 that add up to 1.
inline void requireBackground(const formats::LetterProbabilities& probabilities) {
  double total = 0;
  for (double p : probabilities) {
    FUZZ_REQUIRE(std::isfinite(p) && p > 0);
    total += p;
  }
  FUZZ_REQUIRE(std::fabs(total - 1.0) < 1e-9);
}

// The first byte picks what the rest is read as: summary.tsv, an enrichment
// table, a match table, log.txt, a known-motif table, a peak file or a MEME
// background file.
inline Result table(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const int kind = data[0] % 7;
  std::istringstream in = afterFirstByte(data, size);
  const std::string source = "fuzz.tsv";
  Result result;
  try {
    switch (kind) {
      case 0: requireSummaryRoundTrip(formats::readSummaryTable(in, source)); break;
      case 1:
        for (const formats::EnrichmentRow& row : formats::readEnrichmentTable(in, source))
          FUZZ_REQUIRE(!row.id.empty() && row.primaryHits <= row.primaryTotal && row.controlHits <= row.controlTotal);
        break;
      case 2: requireMatchRoundTrip(formats::readMatchTable(in, source)); break;
      case 3: {
        const std::string version = discover::logVersion(in, source);
        FUZZ_REQUIRE(!version.empty() && version.find_first_of(" \t") == std::string::npos);
        break;
      }
      case 4: requireKnownRows(formats::readKnownTable(in, source)); break;
      case 5: requirePeaks(formats::parsePeaks(in.str(), source)); break;
      default: requireBackground(formats::readMemeBackground(in, source)); break;
    }
  } catch (const ReadError& e) {
    result.refused = true;
    result.message = e.what();
    // A background file missing a letter is refused as a whole, at no line.
    FUZZ_REQUIRE(startsWith(result.message, source + ":") && (e.line() >= 1 || kind == 6));
  }
  for (unsigned char c : result.message) FUZZ_REQUIRE((c >= 0x20 && c < 0x7f) || c == '\t');
  return result;
}

}  // namespace fuzz_entry
