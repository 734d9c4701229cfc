// Background files in the MEME suite's layout (what fasta-get-markov writes):
// one "WORD PROBABILITY" pair a line, '#' starting a comment line. Words of
// one letter give the order-0 model this reader returns; longer words (the
// higher orders) are passed over. Every word is of A, C, G and T (either
// case); each of the four letters is given once, with a probability above 0,
// and the four add up to 1 (within 0.01; they are then made to add up to 1
// exactly).
// Errors are ReadError, "FILE:LINE: problem".
#pragma once

#include <array>
#include <iosfwd>
#include <string>

namespace formats {

// Probabilities of A, C, G and T.
using LetterProbabilities = std::array<double, 4>;

LetterProbabilities readMemeBackground(std::istream& in, const std::string& source);
// The file at `path`; one that cannot be opened is a ReadError of line 0.
LetterProbabilities readMemeBackgroundFile(const std::string& path);

}  // namespace formats
