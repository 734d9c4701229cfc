// Words of up to 32 letters packed two bits a letter (A=0, C=1, G=2, T=3, first
// letter most significant). Packing is exact only for words of the upper-case
// letters A, C, G, T; every caller keeps a character-by-character path for
// words holding anything else.
#pragma once

#include <cstdint>

namespace words {

using Code = std::uint64_t;

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

// Packs the first len letters of w; returns false (code unspecified) when a
// letter is not one of the upper-case A, C, G, T.
inline bool pack(const char* w, int len, Code& code) {
  Code c = 0;
  for (int i = 0; i < len; ++i) {
    const int b = baseIndex(w[i]);
    if (b < 0) return false;
    c = (c << 2) | static_cast<Code>(b);
  }
  code = c;
  return true;
}

// Base at position i (0 = first letter) of a packed word of len letters.
inline int baseAt(Code code, int len, int i) {
  return static_cast<int>((code >> (2 * (len - 1 - i))) & 3u);
}

inline char letterOf(int base) { return "ACGT"[base]; }

// Writes the len letters of a packed word and a terminating NUL into out.
inline void unpack(Code code, int len, char* out) {
  for (int i = 0; i < len; ++i) out[i] = letterOf(baseAt(code, len, i));
  out[len] = '\0';
}

// Number of differing letters of two packed words: a letter differs exactly
// when its two-bit pair differs, so the pairs of the XOR are folded to one bit
// each and counted. Equals hammingDist of the unpacked words.
inline int hamming(Code a, Code b) {
  const Code x = a ^ b;
  const Code pairs = (x | (x >> 1)) & 0x5555555555555555ULL;
  return __builtin_popcountll(pairs);
}

}  // namespace words
