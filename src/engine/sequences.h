// The loaded input sequences of a run: every record with its reverse
// complement and, for the motif length of the run, the packed word and the
// validity of every window on both strands.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/site.h"
#include "formats/fasta.h"

// One loaded FASTA record.
struct seqRecord {
  std::string seq;     // upper-case letters
  std::string revSeq;  // reverse complement of seq, same length
  std::string name;    // header text after '>'
  int len = 0;

  // Packed forward and reverse-strand words of every window, with a flag telling
  // whether the window is made of A, C, G, T only (only then is the code exact).
  std::vector<base::WordCode> fwdCode, revCode;
  std::vector<std::uint8_t> fwdAcgt, revAcgt;
  // Whether each window is free of 'N' (validateKmer), by strand position.
  std::vector<std::uint8_t> fwdValid, revValid;

  int numWindows(int L) const { return len >= L ? len - L + 1 : 0; }
};

class SequenceSet {
 public:
  SequenceSet(int L, int threads) : L_(L), threads_(threads) {}

  // Takes the records as the sequences of the run, in order. Throws FatalError
  // for a record of more than maxLetters letters or holding a NUL byte, naming
  // it by its 1-based number and header.
  void assign(std::vector<FastaRecord> records, std::size_t maxLetters = MAX_SEQ - 1);

  int L() const { return L_; }
  int numSeq() const { return static_cast<int>(records_.size()); }
  long long totalLength() const { return totalLength_; }
  const seqRecord& operator[](std::size_t i) const { return records_[i]; }
  const std::vector<seqRecord>& records() const { return records_; }

  // The site of the window at strandPos of the given strand (a reverse-strand
  // position counts along revSeq), stored with its forward position.
  Site siteAt(int seqIdx, int strandPos, bool strand) const;

  // Whether the first n letters of word are free of 'N'.
  static bool validateKmer(const char* word, int n);

 private:
  void encodeWindows();

  int L_;
  int threads_;
  long long totalLength_ = 0;
  std::vector<seqRecord> records_;
};

// Calls visit(p, r) for every stretch of rec free of 'N': p is its forward
// position and r the reverse-strand position of the same stretch.
template <class Visit>
void forEachValidStretch(const seqRecord& rec, int L, Visit visit) {
  const int W = rec.numWindows(L);
  for (int p = 0; p < W; ++p)
    if (rec.fwdValid[p]) visit(p, W - 1 - p);
}

// Reads every record of a FASTA stream, stopping with FatalError at the first
// that holds more than maxLetters letters or a NUL byte; headers keep at most
// LEN_STR - 1 characters.
std::vector<FastaRecord> readSequenceRecords(std::FILE* file, std::size_t maxLetters = MAX_SEQ - 1);
// The same from a reader, for instance of a file opened by path (plain or gzip).
std::vector<FastaRecord> readSequenceRecords(FastaReader& reader, std::size_t maxLetters = MAX_SEQ - 1);
