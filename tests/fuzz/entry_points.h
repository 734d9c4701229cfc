// The entry points of the fuzz targets, shared with the regression test that
// replays every input the fuzzers ever stopped on. Each takes raw bytes, feeds
// them to one reader of the program and returns how that reader ended: the
// input was accepted, or it was refused through the reader's documented error.
// Anything else (a crash, a sanitizer report, an exception of another type)
// escapes. Besides, every entry point checks what the reader produced against
// rules it can verify on its own, and aborts when one is broken.
#pragma once

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/words.h"
#include "cli/zelkova_options.h"
#include "engine/markov_model.h"
#include "engine/progress.h"
#include "engine/run_config.h"
#include "engine/sequences.h"
#include "engine/site.h"
#include "engine/utilities.h"
#include "formats/report_reader.h"

namespace fuzz_entry {

struct Result {
  bool refused = false;  // ended with the reader's documented error
  std::string message;   // the text of that error
};

// A broken rule is a fault of the reader: report it and abort, so the fuzzer
// keeps the input and the regression test fails loudly.
#define FUZZ_REQUIRE(cond)                                                                \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

inline bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A stream over the bytes; an empty input reads from /dev/null (fmemopen does
// not take an empty buffer everywhere).
inline std::FILE* openBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::fopen("/dev/null", "r");
  return fmemopen(const_cast<std::uint8_t*>(data), size, "r");
}

// ---------------------------------------------------------------------------
// FASTA reader

// What the store must hold after loading `text`, worked out directly from the
// reading rules: the records, or the message of the stop.
struct ExpectedFasta {
  std::vector<std::pair<std::string, std::string>> records;  // name, letters
  std::string error;
};

inline bool isSpace(unsigned char c) { return std::isspace(c) != 0; }

// The header that starts at text[i], just after a '>', by the reading rules:
// the rest of the line, cut at a NUL, without the CR of a CR LF, at most
// `longest` characters. `i` moves past the line.
inline std::string expectedHeader(const std::string& text, std::size_t& i, std::size_t longest) {
  const std::size_t n = text.size();
  std::size_t eol = text.find('\n', i);
  if (eol == std::string::npos) eol = n;
  std::string name = text.substr(i, eol - i);
  name = name.substr(0, name.find('\0'));
  if (!name.empty() && name.back() == '\r' && eol < n) name.pop_back();
  if (name.size() > longest) name.resize(longest);
  i = eol < n ? eol + 1 : n;
  return name;
}

inline bool isBlankText(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return isSpace(static_cast<unsigned char>(c)); });
}

// A header of white space followed by nothing but white space starts no record.
inline bool endsAfterBlankHeader(const std::string& text, std::size_t i, const std::string& name) {
  return isBlankText(name) && isBlankText(text.substr(i));
}

inline ExpectedFasta expectedFasta(const std::string& text) {
  ExpectedFasta out;
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;;) {
    while (i < n && text[i] != '>') ++i;
    if (i == n) break;
    ++i;
    const std::string name = expectedHeader(text, i, LEN_STR - 1);
    if (endsAfterBlankHeader(text, i, name)) break;
    const std::string id = std::to_string(out.records.size() + 1) + " (" + name + ")";
    std::string letters;
    for (; i < n && text[i] != '>'; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (isSpace(c)) continue;
      if (c == '\0') {
        out.error = "Error: sequence " + id + " holds a NUL byte.\n";
        return out;
      }
      letters.push_back(static_cast<char>(std::toupper(c)));
      if (letters.size() >= static_cast<std::size_t>(MAX_SEQ)) {
        out.error = "Error: sequence " + id + " is longer than " + std::to_string(MAX_SEQ - 1) + " letters.\n";
        return out;
      }
    }
    out.records.emplace_back(name, letters);
  }
  return out;
}

// Every window of both strands as the engine reads it: the site's word, its
// forward position, and whether it is made of A, C, G, T (with its packed
// code) or free of 'N'.
inline void checkWindows(const SequenceSet& seqs, int L) {
  for (int s = 0; s < seqs.numSeq(); ++s) {
    const seqRecord& rec = seqs[static_cast<std::size_t>(s)];
    const int W = rec.numWindows(L);
    FUZZ_REQUIRE(static_cast<int>(rec.fwdCode.size()) == W && static_cast<int>(rec.revValid.size()) == W);
    for (int p = 0; p < W; ++p) {
      for (bool strand : {true, false}) {
        const std::string word =
            (strand ? rec.seq : rec.revSeq).substr(static_cast<std::size_t>(p), static_cast<std::size_t>(L));
        const Site site = seqs.siteAt(s, p, strand);
        FUZZ_REQUIRE(word == site.text && site.strand == strand && site.seqIdx == s);
        FUZZ_REQUIRE(site.pos == (strand ? p : W - 1 - p));
        const bool acgt = word.find_first_not_of("ACGT") == std::string::npos;
        FUZZ_REQUIRE(site.acgt == acgt);
        if (acgt) FUZZ_REQUIRE(site.code == base::numberOf(word.c_str(), L));
        FUZZ_REQUIRE(static_cast<bool>((strand ? rec.fwdValid : rec.revValid)[static_cast<std::size_t>(p)]) ==
                     (word.find('N') == std::string::npos));
      }
    }
  }
}

// The first byte picks the motif length (6 to 20); the rest is the FASTA file.
// The store loads it, counts the windows and every window is read as the
// engine reads it.
inline Result fasta(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const int L = MIN_MOTIF_LEN + data[0] % (MAX_MOTIF_LEN - MIN_MOTIF_LEN + 1);
  ++data;
  --size;
  const ExpectedFasta expected = expectedFasta(std::string(reinterpret_cast<const char*>(data), size));

  Utilities store(L, false, 1);
  std::FILE* file = openBytes(data, size);
  FUZZ_REQUIRE(file != nullptr);
  Result result;
  try {
    store.LoadSeqs(readSequenceRecords(file));
  } catch (const FatalError& e) {
    result.refused = true;
    result.message = e.what();
  }
  std::fclose(file);
  if (result.refused) {
    FUZZ_REQUIRE(result.message == expected.error);
    return result;
  }
  FUZZ_REQUIRE(expected.error.empty());

  // The records are exactly those of the reading rules.
  FUZZ_REQUIRE(store.GetNumSeq() == static_cast<int>(store.seqs.records().size()));
  FUZZ_REQUIRE(store.seqs.records().size() == expected.records.size());
  long long letters = 0, windows = 0, validWindows = 0;
  for (std::size_t r = 0; r < store.seqs.records().size(); ++r) {
    const seqRecord& rec = store.seqs[r];
    FUZZ_REQUIRE(rec.name == expected.records[r].first);
    FUZZ_REQUIRE(rec.seq == expected.records[r].second);
    FUZZ_REQUIRE(rec.len == static_cast<int>(rec.seq.size()) && rec.len < MAX_SEQ);
    FUZZ_REQUIRE(rec.revSeq == base::reverseComplement(rec.seq));
    letters += rec.len;
    for (int p = 0; p + L <= rec.len; ++p) {
      ++windows;
      if (rec.seq.find('N', static_cast<std::size_t>(p)) >= static_cast<std::size_t>(p + L)) ++validWindows;
    }
  }
  FUZZ_REQUIRE(store.GetBigL() == letters);

  store.CountDP();
  FUZZ_REQUIRE(store.GetFullDP() == windows);
  FUZZ_REQUIRE(store.GetValidDP() == validWindows);

  checkWindows(store.seqs, L);
  return result;
}

// ---------------------------------------------------------------------------
// Markov model reader

// The bytes as a model file; a loaded model must also give every word up to its
// own last word length.
inline Result markov(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = openBytes(data, size);
  FUZZ_REQUIRE(file != nullptr);
  Result result;
  const std::string name = "fuzz.model";
  try {
    MarkovModel model = readMarkovModel(file, name);
    FUZZ_REQUIRE(model.lastWordLength >= 1 && model.lastWordLength <= MAX_MARKOV);
    for (int n = 1; n <= MAX_MARKOV; ++n) {
      FUZZ_REQUIRE(model.tables[n].size() == (std::size_t{1} << (2 * n)));
      FUZZ_REQUIRE(model.given[n].size() == model.tables[n].size());
      for (std::size_t idx = 0; idx < model.tables[n].size(); ++idx) {
        const float v = model.tables[n][idx];
        if (model.given[n][idx])
          FUZZ_REQUIRE(std::isfinite(v) && v > 0.0f && v <= 1.0f);
        else
          FUZZ_REQUIRE(v == 0.0f);
      }
    }
    try {
      requireAllWords(model, model.lastWordLength, name);
      for (int n = 1; n <= model.lastWordLength; ++n)
        FUZZ_REQUIRE(std::all_of(model.given[n].begin(), model.given[n].end(), [](bool g) { return g; }));
    } catch (const FatalError& e) {
      // The word it names must indeed be missing.
      const std::string text = e.what();
      const std::string marker = " lacks the word ";
      const std::size_t at = text.find(marker);
      FUZZ_REQUIRE(at != std::string::npos);
      const std::size_t start = at + marker.size();
      const std::string word = text.substr(start, text.find(' ', start) - start);
      FUZZ_REQUIRE(!word.empty() && word.size() <= static_cast<std::size_t>(model.lastWordLength));
      FUZZ_REQUIRE(!model.given[word.size()]
                               [static_cast<std::size_t>(base::numberOf(word.c_str(), static_cast<int>(word.size())))]);
      throw;
    }
  } catch (const FatalError& e) {
    result.refused = true;
    result.message = e.what();
    FUZZ_REQUIRE(startsWith(result.message, "Error: model file " + name));
  }
  std::fclose(file);
  return result;
}

// ---------------------------------------------------------------------------
// Command-line parser

// The bytes split into words at every NUL and line feed, after the program name.
inline std::vector<std::string> commandWords(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"zelkova"};
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\0' || c == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (size > 0) words.push_back(word);
  return words;
}

// The words are read into a configuration and resolved as the command line's
// run does it; a kept configuration holds every value in its range, and a
// search given it (which resolves it again) takes it as it is.
inline Result commandLine(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> words = commandWords(data, size);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  Result result;
  RunConfig p;
  try {
    const CommandLine cl = parseCommandLine(static_cast<int>(words.size()), argv.data());
    p = resolveRunConfig(cl.config, cl.given, ProgressSink::silent());
  } catch (const FatalError& e) {
    result.refused = true;
    result.message = e.what();
    const std::string& m = result.message;
    FUZZ_REQUIRE(startsWith(m, "Missing value for option ") || startsWith(m, "Invalid option ") ||
                 m == "Error: Allowed motif length is between 6 to 20.\n" || startsWith(m, "\nZELKOVA version 1.0") ||
                 startsWith(m, "Error: number of ") || startsWith(m, "Error: the longest record (-maxlen)") ||
                 startsWith(m, "\n-f option.") || startsWith(m, "\n-l option.") ||
                 startsWith(m, "\n7-order markov chain model"));
    return result;
  }
  // Every value that was kept lies in its range.
  FUZZ_REQUIRE(p.K >= MIN_MOTIF_LEN && p.K <= MAX_MOTIF_LEN);
  FUZZ_REQUIRE(p.MIN_COMPLEXITY >= 0.0 && p.MIN_COMPLEXITY <= 10.0);
  FUZZ_REQUIRE(p.numClusters >= 10 && p.numClusters <= 100);
  FUZZ_REQUIRE((p.scanThreshold >= 0.7 && p.scanThreshold <= 1.0) || p.scanThreshold == 0.75f);
  FUZZ_REQUIRE(p.scanThreshold == static_cast<double>(static_cast<float>(p.scanThreshold)));
  FUZZ_REQUIRE(p.maxMismatch >= 0 && p.maxMismatch < p.K);
  FUZZ_REQUIRE(p.initMethod >= 1 && p.initMethod <= 3);
  FUZZ_REQUIRE(p.numTopMotifs >= 1);
  FUZZ_REQUIRE(!p.numSeedSeqs || *p.numSeedSeqs >= 1);
  FUZZ_REQUIRE(p.numThreads && *p.numThreads >= 1);
  FUZZ_REQUIRE(p.maxRecordLength >= 1);
  FUZZ_REQUIRE(p.outFile.has_value());
  std::string echo;
  for (const std::string& w : words) echo += " " + w;
  FUZZ_REQUIRE(p.cmdLine == echo);
  // Resolved again (as a search does), the configuration is kept unchanged.
  // A file named by an empty word ("-b ''") was given on the command line,
  // but a configuration alone cannot tell it from one never given, so the
  // search refuses what the command line takes (and then fails to open).
  if (p.inFile.empty() || p.bgModelFile.empty() || p.fgModelFile.empty()) return result;
  try {
    const RunConfig again = resolveRunConfig(p, ProgressSink::silent());
    FUZZ_REQUIRE(again.K == p.K && again.maxMismatch == p.maxMismatch && again.scanThreshold == p.scanThreshold &&
                 again.MIN_COMPLEXITY == p.MIN_COMPLEXITY && again.numClusters == p.numClusters &&
                 again.initMethod == p.initMethod && again.numThreads == p.numThreads);
  } catch (const FatalError& e) {
    std::fprintf(stderr, "a resolved configuration is refused when resolved again: %s", e.what());
    FUZZ_REQUIRE(false);
  }
  return result;
}

// ---------------------------------------------------------------------------
// Report reader of zelkova-export

inline Result reportFile(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Result result;
  const std::string source = "fuzz.out";
  try {
    const formats::Report r = formats::readReport(in, source);
    int previousRank = 0;
    for (const formats::ReportMotif& m : r.motifs) {
      FUZZ_REQUIRE(m.rank > previousRank);
      previousRank = m.rank;
      FUZZ_REQUIRE(m.width() >= 1);
      FUZZ_REQUIRE(m.consensus.size() == static_cast<std::size_t>(m.width()));
      FUZZ_REQUIRE(m.degenerateConsensus.size() == m.consensus.size());
      FUZZ_REQUIRE(m.reverseConsensus.size() == m.consensus.size());
      FUZZ_REQUIRE(m.siteCount >= 0 && m.sites.size() == static_cast<std::size_t>(m.siteCount));
      for (const formats::CountColumn& column : m.counts) {
        long long total = 0;
        for (long long c : column) {
          FUZZ_REQUIRE(c >= 0 && c <= m.siteCount - total);
          total += c;
        }
        FUZZ_REQUIRE(total == m.siteCount);
      }
      for (const formats::ReportSite& s : m.sites) {
        FUZZ_REQUIRE(s.word.size() == static_cast<std::size_t>(m.width()));
        FUZZ_REQUIRE(s.position >= 1);
      }
    }
  } catch (const ReadError& e) {
    result.refused = true;
    result.message = e.what();
    FUZZ_REQUIRE(startsWith(result.message, source + ":"));
    FUZZ_REQUIRE(e.line() >= 1);
  }
  return result;
}

}  // namespace fuzz_entry
