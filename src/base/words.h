// Letters and words. Every classification of a letter (base row, folded row,
// complement, Markov code) is derived from baseIndex, so they agree on every
// character; words of up to 32 letters are packed two bits a letter (A=0, C=1,
// G=2, T=3, first letter most significant). Packing is exact only for words of
// the upper-case letters A, C, G, T; every caller keeps a character-by-character
// path for words holding anything else.
#pragma once

#include <cstdint>
#include <string>

namespace base {

using WordCode = std::uint64_t;

// Row of an upper-case base letter, or -1 for any other character.
inline int baseIndex(char c) {
  switch (c) {
    case 'A': return 0;
    case 'C': return 1;
    case 'G': return 2;
    case 'T': return 3;
    default: return -1;
  }
}

namespace detail {
// baseIndex of every byte in upper case (as the C locale's toupper gives it),
// looked up rather than computed: motif scores classify every letter of every
// word they score.
struct AnyCaseRows {
  signed char row[256] = {};
  constexpr AnyCaseRows() {
    for (int c = 0; c < 256; ++c) row[c] = -1;
    const char* letters = "AaCcGgTt";
    for (int i = 0; i < 8; ++i) row[static_cast<unsigned char>(letters[i])] = static_cast<signed char>(i / 2);
  }
};
inline constexpr AnyCaseRows kAnyCaseRows{};
}  // namespace detail

// baseIndex of the letter in upper case: 'a' and 'A' are both 0.
inline int baseIndexAnyCase(char c) { return detail::kAnyCaseRows.row[static_cast<unsigned char>(c)]; }

// Row of a letter in the motif's likelihoods and mismatch scores: case is
// folded and every letter other than A, C, G counts as T.
inline int foldedRow(char c) {
  const int b = baseIndexAnyCase(c);
  return b < 0 ? 3 : b;
}

// Code of a letter in word numbers and Markov indices: case is folded and
// every letter other than A, C, G, T codes as 0.
inline int markovCode(char c) {
  const int b = baseIndexAnyCase(c);
  return b < 0 ? 0 : b;
}

// Base-4 number of the first len letters of w, with the letters coded by
// markovCode (so it is the packed code for words of A, C, G, T).
inline WordCode numberOf(const char* w, int len) {
  WordCode n = 0;
  for (int i = 0; i < len; ++i) n = (n << 2) | static_cast<WordCode>(markovCode(w[i]));
  return n;
}

inline char letterOf(int base) { return "ACGT"[base]; }

// The complementary base in upper case; anything but A, C, G, T gives 'N'.
inline char complementOf(char c) {
  const int b = baseIndexAnyCase(c);
  return b < 0 ? 'N' : "TGCA"[b];
}

// The reverse complement of a word (complementOf each letter, in reverse order).
inline std::string reverseComplement(const std::string& word) {
  std::string rc(word.size(), 'N');
  for (std::size_t i = 0; i < word.size(); ++i) rc[word.size() - 1 - i] = complementOf(word[i]);
  return rc;
}

// The last `width` letters (1 to 32) of a sequence read one letter at a time,
// packed, with their reverse complement: the windows of A, C, G and T only.
// Letters older than the current run of bases linger in the codes but are
// never part of a full window.
class RollingWindow {
 public:
  explicit RollingWindow(int width)
      : width_(width),
        mask_(width >= 32 ? ~WordCode{0} : (WordCode{1} << (2 * width)) - 1),
        newestReverseShift_(2 * (width - 1)) {}

  // Adds the next letter; any letter but A, C, G, T restarts the run.
  void push(char letter) {
    const int base = baseIndex(letter);
    if (base < 0) {
      run_ = 0;
      return;
    }
    forward_ = ((forward_ << 2) | static_cast<WordCode>(base)) & mask_;
    reverse_ = (reverse_ >> 2) | (static_cast<WordCode>(3 - base) << newestReverseShift_);
    if (run_ < width_) ++run_;
  }
  // Bases since the last other letter, at most width.
  int run() const { return run_; }
  bool full() const { return run_ == width_; }
  // The last width letters, first letter most significant, and the reverse
  // complement of the same letters.
  WordCode forward() const { return forward_; }
  WordCode reverse() const { return reverse_; }

 private:
  int width_;
  WordCode mask_;
  int newestReverseShift_;
  WordCode forward_ = 0;
  WordCode reverse_ = 0;
  int run_ = 0;
};

// Packs the first len letters of w; returns false (code unspecified) when a
// letter is not one of the upper-case A, C, G, T.
inline bool pack(const char* w, int len, WordCode& code) {
  WordCode c = 0;
  for (int i = 0; i < len; ++i) {
    const int b = baseIndex(w[i]);
    if (b < 0) return false;
    c = (c << 2) | static_cast<WordCode>(b);
  }
  code = c;
  return true;
}

// Base at position i (0 = first letter) of a packed word of len letters.
inline int baseAt(WordCode code, int len, int i) { return static_cast<int>((code >> (2 * (len - 1 - i))) & 3u); }

// Writes the len letters of a packed word and a terminating NUL into out.
inline void unpack(WordCode code, int len, char* out) {
  for (int i = 0; i < len; ++i) out[i] = letterOf(baseAt(code, len, i));
  out[len] = '\0';
}

// The len letters of a packed word (or of a word's base-4 number).
inline std::string wordOf(WordCode code, int len) {
  std::string word(static_cast<std::size_t>(len), 'A');
  for (int i = 0; i < len; ++i) word[static_cast<std::size_t>(i)] = letterOf(baseAt(code, len, i));
  return word;
}

// Number of differing letters of two packed words: a letter differs exactly
// when its two-bit pair differs, so the pairs of the XOR are folded to one bit
// each and counted. Equals hammingDist of the unpacked words.
inline int hamming(WordCode a, WordCode b) {
  const WordCode x = a ^ b;
  const WordCode pairs = (x | (x >> 1)) & 0x5555555555555555ULL;
  return __builtin_popcountll(pairs);
}

}  // namespace base
