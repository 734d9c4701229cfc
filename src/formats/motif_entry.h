// What the matrix readers share once the numbers of one motif are read:
// checks of the values and the decision whether they are counts or
// probabilities. Internal to the readers of motif_files.
#pragma once

#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/text_lines.h"

namespace formats {

// Probabilities printed with two or three decimals add up to 1 only this
// closely.
constexpr double kSumTolerance = 0.02;

double columnTotal(const formats::Column& c);

// One number of a matrix row: finite and not negative.
double matrixValue(const formats::Lines& lines, const std::string& text);

// Checks a motif whose columns are filled in and decides what they hold:
// probabilities when every column adds up to 1 and some value is not a whole
// number, counts otherwise. Sets nsites from the counts when they agree on it.
// A format whose matrices always hold probabilities says so with
// `probabilities`. A motif without columns is refused at its header line.
void completeMotif(formats::Motif& m, bool probabilities = false);

// The rest of a header line after its first word: the name, may be empty.
std::string restAfterFirstWord(const std::string& text);

}  // namespace formats
