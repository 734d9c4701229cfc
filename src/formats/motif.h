// One motif as every motif file holds it, whatever the format it came from:
// an identifier, a name, and per column either counts or probabilities of A,
// C, G and T. The readers of MEME, JASPAR, TRANSFAC, HOMER files and of
// zelkova reports all return this type; the writers, the comparison and the
// enrichment test work from it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace formats {

constexpr int kBases = 4;  // A, C, G, T, in this order everywhere

// Counts or probabilities of A, C, G and T at one position.
using Column = std::array<double, kBases>;

struct Motif {
  std::string id;    // MA0004.1, ZELKOVA-1, ...
  std::string name;  // Arnt, a consensus word, ...; may be empty
  std::vector<Column> columns;
  bool counts = true;            // columns hold counts; otherwise probabilities
  std::optional<double> nsites;  // number of sites when the file says or the counts tell
  std::string source;            // the file it was read from
  int line = 0;                  // where its entry starts, for messages

  int width() const { return static_cast<int>(columns.size()); }
  // "SOURCE:LINE" for messages about this motif.
  std::string where() const;
};

// Letter frequencies of every column. Counts get `pseudocount` added to each
// letter; probabilities of a motif with a known number of sites are turned
// back into counts first, so both are treated alike. Probabilities without a
// number of sites are only renormalised. A column without any weight is even.
std::vector<Column> frequencies(const Motif& motif, double pseudocount);

// The columns as counts: the counts the motif holds, or its probabilities
// times its number of sites. When every such product lies within the rounding
// of six-decimal probabilities of a whole number, the whole numbers are
// returned, so that a MEME file written from counts gives them back exactly.
// Nothing for probabilities without a number of sites.
std::optional<std::vector<Column>> countsOf(const Motif& motif);

// Letter frequencies without any pseudocount: the counts (countsOf) divided
// by their column's total, else the probabilities made to add up to 1. A
// column without any weight is even.
std::vector<Column> plainFrequencies(const Motif& motif);

// The motif of the other strand: columns in reverse order, A with T and C
// with G exchanged. For columns of counts or of probabilities alike.
template <typename C>
std::vector<C> reverseComplement(const std::vector<C>& columns) {
  std::vector<C> other;
  other.reserve(columns.size());
  for (auto c = columns.rbegin(); c != columns.rend(); ++c) other.push_back(C{(*c)[3], (*c)[2], (*c)[1], (*c)[0]});
  return other;
}

// The letter of largest weight per column (on a tie the first of A, C, G, T).
std::string consensus(const std::vector<Column>& columns);

// The IUPAC consensus of frequency columns by the usual rule: a letter whose
// frequency is above 0.5 and twice the second's; else the two-letter code of
// the two largest when they add up to more than 0.75; else N.
std::string degenerateConsensus(const std::vector<Column>& frequencies);

}  // namespace formats
