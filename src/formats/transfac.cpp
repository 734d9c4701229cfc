// TRANSFAC matrix entries: two-letter tags at the start of each line, the
// matrix after a P0 (or PO) line whose letters give the column order, one row
// per position numbered from 01, and "//" closing an entry.
#include <algorithm>
#include <array>
#include <cctype>
#include <istream>

#include "formats/motif_entry.h"
#include "formats/motif_files.h"

namespace formats {

namespace {

// Column of each letter of the P0 header: order[i] is the base of field i.
std::array<int, formats::kBases> letterOrder(const Lines& lines, const std::vector<std::string>& fields) {
  std::array<int, formats::kBases> order{};
  std::array<bool, formats::kBases> seen{};
  if (fields.size() != formats::kBases + 1) lines.fail("the P0 line must name the four letters A, C, G and T");
  for (int i = 0; i < formats::kBases; ++i) {
    const std::string& letter = fields[i + 1];
    const std::size_t base = std::string("ACGT").find(static_cast<char>(std::toupper(letter[0])));
    if (letter.size() != 1 || base == std::string::npos || seen[base])
      lines.fail("the P0 line must name the four letters A, C, G and T, found " + quoted(letter));
    order[i] = static_cast<int>(base);
    seen[base] = true;
  }
  return order;
}

bool isPositionRow(const std::string& line) {
  return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]));
}

void readMatrix(Lines& lines, const std::vector<std::string>& header, formats::Motif& m) {
  const std::array<int, formats::kBases> order = letterOrder(lines, header);
  while (!lines.atEnd() && isPositionRow(lines.peek())) {
    const std::vector<std::string> fields = formats::words(lines.take(""));
    const int position = lines.smallInteger(fields[0], "position");
    if (position != m.width() + 1)
      lines.fail("position " + quoted(fields[0]) + " does not follow position " + std::to_string(m.width()));
    const bool consensusLetter =
        fields.size() == formats::kBases + 2 && std::isalpha(static_cast<unsigned char>(fields.back()[0]));
    if (fields.size() != formats::kBases + 1 && !consensusLetter)
      lines.fail(
          "a matrix row needs its position, the four numbers its P0 line announces and at most a "
          "consensus letter; found " +
          std::to_string(fields.size() - 1) + " fields after the position");
    formats::Column c{};
    for (int i = 0; i < formats::kBases; ++i) c[order[i]] = matrixValue(lines, fields[i + 1]);
    m.columns.push_back(c);
  }
}

// The entry's identifier and name from its AC, ID, NA and DE lines.
struct Names {
  std::string ac, id, na, de;
};

void nameMotif(formats::Motif& m, const Names& names) {
  m.id = !names.ac.empty() ? names.ac : names.id;
  if (!names.id.empty() && names.id != m.id)
    m.name = names.id;
  else
    m.name = !names.na.empty() ? names.na : names.de;
}

}  // namespace

std::vector<formats::Motif> readTransfac(std::istream& in, const std::string& source) {
  Lines lines(in, source);
  std::vector<formats::Motif> motifs;
  formats::Motif current;
  Names names;
  bool hasMatrix = false;
  int entryLine = 0;
  auto closeEntry = [&]() {
    if (hasMatrix) {
      nameMotif(current, names);
      if (current.id.empty()) throw ReadError(source, current.line, "a matrix without AC or ID line");
      completeMotif(current);
      motifs.push_back(std::move(current));
    }
    current = formats::Motif{};
    names = Names{};
    hasMatrix = false;
    entryLine = 0;
  };
  while (!lines.atEnd()) {
    const std::string& line = lines.take("");
    const std::vector<std::string> fields = formats::words(line);
    if (fields.empty()) continue;  // blank, whatever white space it holds
    if (entryLine == 0) entryLine = lines.number();
    const std::string& tag = fields[0];
    const std::string value = restAfterFirstWord(line);
    if (tag == "//") {
      closeEntry();
    } else if (tag == "AC") {
      names.ac = value;
    } else if (tag == "ID") {
      names.id = value;
    } else if (tag == "NA") {
      names.na = value;
    } else if (tag == "DE") {
      names.de = value;
    } else if (tag == "P0" || tag == "PO") {
      if (hasMatrix) lines.fail("a second matrix in one entry; entries end with \"//\"");
      current.source = source;
      current.line = entryLine;
      readMatrix(lines, fields, current);
      hasMatrix = true;
    } else if (isPositionRow(line)) {
      lines.fail("a matrix row outside a matrix (no P0 line before it)");
    }
  }
  closeEntry();
  return motifs;
}

}  // namespace formats
