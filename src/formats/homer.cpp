// HOMER motif files (.motif): per motif a header line of tab-separated fields
// ">CONSENSUS  NAME  LOG-ODDS-THRESHOLD  [LOG-P  0  STATISTICS]" and one row
// of the probabilities of A, C, G and T per position. HOMER names a motif by
// its second field, so that field is the identifier and the consensus the
// name; the threshold is HOMER's own and is not needed here.
#include <cstdlib>
#include <istream>

#include "formats/motif_entry.h"
#include "formats/motif_files.h"

namespace formats {

namespace {

std::string trimmed(const std::string& text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

void readHeader(const Lines& lines, const std::string& header, formats::Motif& m) {
  const std::vector<std::string> fields = formats::tabFields(header.substr(1));
  if (!isHomerHeader(header))
    lines.fail("expected a HOMER header \">CONSENSUS<tab>NAME<tab>THRESHOLD\", found " + quoted(header));
  const std::string consensus = trimmed(fields[0]);
  const std::string name = trimmed(fields[1]);
  m.id = name.empty() ? consensus : name;
  m.name = name.empty() ? "" : consensus;
  if (m.id.empty()) lines.fail("the header line names no motif");
  m.source = lines.source();
  m.line = lines.number();
}

formats::Column positionRow(const Lines& lines, const std::string& line, const std::string& id) {
  const std::vector<std::string> fields = formats::words(line);
  if (fields.size() != formats::kBases)
    lines.fail("a row of " + id + " needs the 4 values of A, C, G and T, found " + quoted(line));
  formats::Column c{};
  for (int b = 0; b < formats::kBases; ++b) c[b] = matrixValue(lines, fields[b]);
  return c;
}

}  // namespace

bool isHomerHeader(const std::string& line) {
  if (line.empty() || line[0] != '>') return false;
  const std::vector<std::string> fields = formats::tabFields(line.substr(1));
  if (fields.size() < 3) return false;
  const std::string threshold = trimmed(fields[2]);
  char* end = nullptr;
  std::strtod(threshold.c_str(), &end);
  return !threshold.empty() && end == threshold.c_str() + threshold.size();
}

std::vector<formats::Motif> readHomer(std::istream& in, const std::string& source) {
  Lines lines(in, source);
  std::vector<formats::Motif> motifs;
  for (lines.skipBlank(); !lines.atEnd(); lines.skipBlank()) {
    formats::Motif m;
    readHeader(lines, lines.take(""), m);
    for (lines.skipBlank(); !lines.atEnd() && lines.peek()[0] != '>'; lines.skipBlank())
      m.columns.push_back(positionRow(lines, lines.take(""), m.id));
    completeMotif(m);
    motifs.push_back(std::move(m));
  }
  return motifs;
}

}  // namespace formats
