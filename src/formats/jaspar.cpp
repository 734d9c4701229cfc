// JASPAR matrices in their two text layouts: a ">ID NAME" header followed by
// four rows for A, C, G and T, either labelled and bracketed ("A  [ 3 1 ]")
// or plain numbers. The rows of one motif must be equally long.
#include <array>
#include <istream>

#include "formats/motif_entry.h"
#include "formats/motif_files.h"

namespace formats {

namespace {

// The numbers of a bracketed row "A  [ 3 1 5 ]" whose letter must be `base`;
// the brackets may touch the numbers.
std::vector<std::string> bracketedFields(const Lines& lines, const std::string& line, char base) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] != base)
    lines.fail("expected the row of " + std::string(1, base) + ", found " + quoted(line));
  const std::size_t open = line.find('[', start + 1);
  const std::size_t close = line.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open ||
      !formats::isBlank(line.substr(start + 1, open - start - 1)) || !formats::isBlank(line.substr(close + 1)))
    lines.fail("expected a row \"" + std::string(1, base) + " [ ... ]\", found " + quoted(line));
  return formats::words(line.substr(open + 1, close - open - 1));
}

formats::Motif readEntry(Lines& lines, bool bracketed) {
  const std::string& header = lines.take("a header line \">ID NAME\"");
  if (header.empty() || header[0] != '>') lines.fail("expected a header line \">ID NAME\", found " + quoted(header));
  formats::Motif m;
  const std::vector<std::string> head = formats::words(header.substr(1));
  if (head.empty()) lines.fail("the header line names no motif");
  m.id = head[0];
  m.name = restAfterFirstWord(header.substr(1));
  m.source = lines.source();
  m.line = lines.number();
  for (int b = 0; b < formats::kBases; ++b) {
    const char base = "ACGT"[b];
    const std::string& row = lines.take(std::string("the row of ") + base + " of " + m.id);
    const std::vector<std::string> fields = bracketed ? bracketedFields(lines, row, base) : formats::words(row);
    if (b == 0) m.columns.assign(fields.size(), formats::Column{});
    if (fields.size() != m.columns.size())
      lines.fail("the row of " + std::string(1, base) + " holds " + std::to_string(fields.size()) +
                 " numbers, the row of A " + std::to_string(m.columns.size()));
    for (std::size_t i = 0; i < fields.size(); ++i) m.columns[i][b] = matrixValue(lines, fields[i]);
  }
  completeMotif(m);
  return m;
}

std::vector<formats::Motif> readEntries(std::istream& in, const std::string& source, bool bracketed) {
  Lines lines(in, source);
  std::vector<formats::Motif> motifs;
  for (lines.skipBlank(); !lines.atEnd(); lines.skipBlank()) motifs.push_back(readEntry(lines, bracketed));
  return motifs;
}

}  // namespace

std::vector<formats::Motif> readJaspar(std::istream& in, const std::string& source) {
  return readEntries(in, source, true);
}

std::vector<formats::Motif> readJasparPlain(std::istream& in, const std::string& source) {
  return readEntries(in, source, false);
}

}  // namespace formats
