#include "formats/meme_background.h"

#include <cmath>
#include <fstream>
#include <vector>

#include "base/words.h"
#include "formats/text_lines.h"

namespace formats {

namespace {

constexpr double kBackgroundSumTolerance = 0.01;
const char* const kLetters = "ACGT";

}  // namespace

LetterProbabilities readMemeBackground(std::istream& in, const std::string& source) {
  formats::Lines lines(in, source);
  LetterProbabilities probabilities{};
  std::array<int, 4> givenAt{};  // line of each letter, 0 while not given
  while (!lines.atEnd()) {
    const std::string& line = lines.take("a line");
    const std::vector<std::string> fields = formats::words(line);
    if (fields.empty() || fields[0][0] == '#') continue;
    if (fields.size() != 2) lines.fail("expected a word and its probability, found " + formats::quoted(line));
    for (char c : fields[0])
      if (base::baseIndexAnyCase(c) < 0)
        lines.fail("unknown letter '" + formats::printable(std::string(1, c)) + "' in " + formats::quoted(fields[0]) +
                   "; a DNA background gives A, C, G and T only");
    const double p = lines.real(fields[1], "probability");
    if (!(p > 0 && p <= 1))
      lines.fail("probability " + formats::quoted(fields[1]) + " of " + fields[0] + " is not above 0 and at most 1");
    if (fields[0].size() != 1) continue;  // a higher order's word
    const int base = base::baseIndexAnyCase(fields[0][0]);
    if (givenAt[base] > 0)
      lines.fail(std::string("letter ") + kLetters[base] + " is given twice (first on line " +
                 std::to_string(givenAt[base]) + ")");
    givenAt[base] = lines.number();
    probabilities[base] = p;
  }
  double sum = 0;
  for (int b = 0; b < 4; ++b) {
    if (givenAt[b] == 0)
      throw ReadError(source, 0,
                      std::string("no probability of ") + kLetters[b] +
                          "; a background file gives one line per letter, such as \"A 0.3\"");
    sum += probabilities[b];
  }
  if (std::fabs(sum - 1) > kBackgroundSumTolerance)
    throw ReadError(source, givenAt[3],
                    "the probabilities of A, C, G and T add up to " + std::to_string(sum) + ", not 1");
  for (double& p : probabilities) p /= sum;
  return probabilities;
}

LetterProbabilities readMemeBackgroundFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readMemeBackground(in, path);
}

}  // namespace formats
