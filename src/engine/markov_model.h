// The one reader of Markov model files: entries of five fields, normally one a line,
//   index word probability count frequency
// where the word has 1 to 8 letters of A, C, G, T, the index is the word's
// base-4 number and the probability lies in (0, 1]. Every refusal names the
// file and, where there is one, the 1-based line where the entry starts.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/site.h"

struct MarkovModel {
  // tables[n] holds one value per word of n letters (n = 1..MAX_MARKOV), at the
  // word's base-4 number; words the file does not give stay 0.
  std::array<std::vector<float>, MAX_MARKOV + 1> tables;
  std::array<std::vector<bool>, MAX_MARKOV + 1> given;
  int lastWordLength = 0;  // length of the word of the last entry
};

// Reads a whole model from `file`; throws FatalError for anything malformed or
// for a file without entries.
MarkovModel readMarkovModel(std::FILE* file, const std::string& fileName);

// Throws FatalError naming the first word of lengths 1..maxLength (by length,
// then by index) that the model does not give.
void requireAllWords(const MarkovModel& model, int maxLength, const std::string& fileName);
