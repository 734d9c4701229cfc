// The sequence store of a run: the loaded sequences with their reverse
// complements, both Markov models, the per-window background maps and the
// statistics computed from them.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "lmer.h"
#include "words.h"

// One loaded FASTA record.
struct seqRecord {
  std::string seq;     // upper-case letters
  std::string revSeq;  // reverse complement of seq, same length
  std::string name;    // header text after '>'
  int len = 0;
  std::vector<float> bgMap;     // ln background probability per forward window
  std::vector<float> bgMapRev;  // the same by reverse-strand position; empty with -r
  std::vector<std::uint8_t> usedFwd;  // seed-enumeration marks by forward position
  std::vector<std::uint8_t> usedRev;  // ... by reverse-strand position
  double logOdds = 0.0;

  // Packed forward and reverse-strand words of every window, with a flag telling
  // whether the window is made of A, C, G, T only (only then is the code exact).
  std::vector<words::Code> fwdCode, revCode;
  std::vector<std::uint8_t> fwdAcgt, revAcgt;
  // Whether each window is free of 'N' (validateKmer), by strand position.
  std::vector<std::uint8_t> fwdValid, revValid;

  int numWindows(int L) const { return len >= L ? len - L + 1 : 0; }
};

class Utilities {
 public:
  explicit Utilities(int L);
  ~Utilities();
  Utilities(const Utilities&) = delete;
  Utilities& operator=(const Utilities&) = delete;

  // Opens the three input files in this order; throws FatalError naming the
  // first that cannot be opened.
  void OpenFiles(const char* inFile, const char* bgFile, const char* fgFile);
  void MaskingLow(bool flag) { maskingLow = flag; }
  void LoadSeqs();
  // Loads the sequences of an open FASTA stream (LoadSeqs reads the -f file).
  void LoadSeqsFrom(std::FILE* file);

  void CountDP();
  void GetBackground();
  void GetForeground();
  void computebgmap(bool withScore);

  int GetL() const { return L; }
  int GetBigL() const { return bigL; }
  int GetFullDP() const { return fullDP; }
  int GetValidDP() const { return validDP; }
  int GetNumSeq() const { return numSeq; }

  // The n-th forward window of the whole input, or null when n is out of range.
  // The record is the store's own and is overwritten by the next call.
  const L_mer* GetInput(int n);
  std::vector<int> selSeqs(int count) const;

  static void RevComp(const char* src, char* dst);
  static std::string RevComp(const std::string& src);
  static bool validateKmer(const char* word, int n);
  static void noNewLine(char* text);

  double probKmerGivenBack(long start, long seqIdx, bool strand, int slen) const;
  double probKmerGivenFore(long start, long seqIdx, bool strand, int slen) const;

  int kMismatch(const char* text, const char* word, int m, std::set<std::string>& matched) const;
  double globalScore(const char* word, int m);
  // Computes the surprise scores of all the words not yet known, in parallel.
  void prepareGlobalScores(const std::vector<std::string>& words, int m);
  double bgExpectedFreq(const char* word) const;

  // Public data read directly by the engine and the motif class.
  bool maskingLow = false;
  std::array<std::vector<float>, MAX_MARKOV + 1> bmarkov;
  std::array<std::vector<float>, MAX_MARKOV + 1> fmarkov;
  int markovOrder = 0;
  std::vector<seqRecord> seqs;

  // The site of the window at strandPos of the given strand (a reverse-strand
  // position counts along revSeq), stored with its forward position.
  Site siteAt(int seqIdx, int strandPos, bool strand) const;

  // Background value of the window at forward position pos of sequence seqIdx
  // (the same stretch on both strands).
  float siteBackground(int seqIdx, int pos) const { return seqs[seqIdx].bgMap[pos]; }

 private:
  void encodeWindows();
  double chainProbability(const std::array<std::vector<float>, MAX_MARKOV + 1>& tables,
                          long start, long seqIdx, bool strand, int slen) const;
  double surpriseScore(const char* word, int m) const;
  double scanSurpriseScore(const char* word, int m) const;
  double bgExpectedFreqCode(words::Code code) const;
  void indexWindowWords() const;
  void loadModel(std::FILE*& stream, const std::string& fileName, bool background);

  std::FILE* inStream = nullptr;
  std::FILE* bgStream = nullptr;
  std::FILE* fgStream = nullptr;
  std::string bgName, fgName;  // model file names, for their error messages
  int L;
  int bigL = 0;
  int validDP = 0;
  int fullDP = 0;
  int numSeq = 0;
  int currPos = 0;
  int currSeq = 0;
  int currDP = 0;
  L_mer inputMer;
  std::unordered_map<std::string, double> surpriseCache;  // word -> score, for one m
  int surpriseCacheM = -1;

  // Every window the surprise score scans (both strands unless -r), as distinct
  // words with their number of occurrences, each list in ascending text order.
  struct WindowWords {
    std::vector<words::Code> codes;  // words of A, C, G, T
    std::vector<int> codeCounts;
    std::vector<std::string> others;  // words holding other letters
    std::vector<int> otherCounts;
    float positions = 0.0f;  // window positions, summed per sequence in single precision
  };
  mutable std::unique_ptr<WindowWords> windowWords;
};
