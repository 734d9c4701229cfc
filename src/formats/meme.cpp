// MEME motif format, version 4 and later, as far as the minimal format goes:
// the header lines, then per motif a MOTIF line and its letter-probability
// matrix. Other lines a full MEME output carries between them are passed over.
#include <cmath>
#include <cstdlib>
#include <istream>
#include <map>

#include "formats/motif_entry.h"
#include "formats/motif_files.h"

namespace formats {

namespace {

// "alength= 4 w= 16 nsites= 14 E= 0" as key -> value.
std::map<std::string, std::string> matrixKeys(const Lines& lines, const std::string& text) {
  std::map<std::string, std::string> keys;
  const std::vector<std::string> fields = formats::words(text);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& f = fields[i];
    if (f.size() < 2 || f.back() != '=') continue;
    if (i + 1 >= fields.size()) lines.fail("no value after " + quoted(f));
    keys[f.substr(0, f.size() - 1)] = fields[++i];
  }
  return keys;
}

// A line whose first word is a number: a row of a matrix, whole or damaged.
bool looksLikeRow(const std::string& line) {
  const std::vector<std::string> fields = formats::words(line);
  if (fields.empty()) return false;
  char* end = nullptr;
  std::strtod(fields[0].c_str(), &end);
  return end == fields[0].c_str() + fields[0].size();
}

formats::Column probabilityRow(const Lines& lines, const std::string& line) {
  const std::vector<std::string> fields = formats::words(line);
  if (fields.size() != formats::kBases) lines.fail("a matrix row needs 4 probabilities, found " + quoted(line));
  formats::Column c{};
  for (int b = 0; b < formats::kBases; ++b) c[b] = matrixValue(lines, fields[b]);
  if (std::abs(columnTotal(c) - 1.0) > kSumTolerance)
    lines.fail("the probabilities of a matrix row add up to " + std::to_string(columnTotal(c)) + ", not 1");
  return c;
}

void readMatrix(Lines& lines, const std::string& header, formats::Motif& m) {
  const std::map<std::string, std::string> keys = matrixKeys(lines, header);
  if (keys.count("alength") && keys.at("alength") != "4")
    lines.fail("alength= " + keys.at("alength") + ": only DNA motifs of 4 letters are read");
  if (!keys.count("w")) lines.fail("the letter-probability matrix line has no w=");
  const int width = lines.smallInteger(keys.at("w"), "width");
  if (width < 0) lines.fail("the width w= " + keys.at("w") + " is negative");
  if (keys.count("nsites")) {
    m.nsites = lines.real(keys.at("nsites"), "nsites");
    if (!(*m.nsites >= 0) || !std::isfinite(*m.nsites))
      lines.fail("nsites= " + keys.at("nsites") + " is not a number of sites (0 or more)");
  }
  for (int i = 0; i < width; ++i) {
    const std::string& line = lines.take("row " + std::to_string(i + 1) + " of the matrix of " + m.id);
    if (!looksLikeRow(line))
      lines.fail("the matrix of " + m.id + " has " + std::to_string(i) + (i == 1 ? " row" : " rows") +
                 ", fewer than its w= " + keys.at("w") + "; found " + quoted(line));
    m.columns.push_back(probabilityRow(lines, line));
  }
  // A row after the last one w= announces would otherwise be read as nothing.
  lines.skipBlank();
  if (!lines.atEnd() && looksLikeRow(lines.peek())) {
    lines.take("");
    lines.fail("the matrix of " + m.id + " has more rows than its w= " + keys.at("w"));
  }
}

void checkAlphabet(const Lines& lines, const std::string& line) {
  const std::string value = restAfterFirstWord(line);
  if (value != "ACGT") lines.fail("alphabet " + quoted(value) + ": only DNA motifs (ACGT) are read");
}

formats::Motif finished(formats::Motif m, bool hasMatrix) {
  if (!hasMatrix) throw ReadError(m.source, m.line, "motif " + m.id + " has no letter-probability matrix");
  completeMotif(m, true);
  return m;
}

}  // namespace

std::vector<formats::Motif> readMeme(std::istream& in, const std::string& source) {
  Lines lines(in, source);
  lines.skipBlank();
  if (!startsWith(lines.take("the line \"MEME version 4\""), "MEME version"))
    lines.fail("expected a MEME file starting with \"MEME version\"");
  std::vector<formats::Motif> motifs;
  formats::Motif current;
  bool open = false, hasMatrix = false;
  while (!lines.atEnd()) {
    const std::string& line = lines.take("");
    const std::vector<std::string> fields = formats::words(line);
    if (fields.empty()) continue;
    if (fields[0] == "ALPHABET=" || startsWith(fields[0], "ALPHABET")) {
      checkAlphabet(lines, line);
    } else if (fields[0] == "MOTIF") {
      if (open) motifs.push_back(finished(std::move(current), hasMatrix));
      if (fields.size() < 2) lines.fail("a MOTIF line needs the motif's identifier");
      current = formats::Motif{};
      current.id = fields[1];
      current.name = restAfterFirstWord(restAfterFirstWord(line));
      current.source = source;
      current.line = lines.number();
      open = true;
      hasMatrix = false;
    } else if (startsWith(line, "letter-probability matrix:")) {
      if (!open) lines.fail("a letter-probability matrix before any MOTIF line");
      if (hasMatrix) lines.fail("a second letter-probability matrix for motif " + current.id);
      readMatrix(lines, line.substr(line.find(':') + 1), current);
      hasMatrix = true;
    }
  }
  if (open) motifs.push_back(finished(std::move(current), hasMatrix));
  return motifs;
}

}  // namespace formats
