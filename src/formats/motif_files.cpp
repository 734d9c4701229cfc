// Which reader a file needs, from its first non-blank line (and for JASPAR
// the line after it), so users never have to say what format they pass.
#include "formats/motif_files.h"

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "formats/command_files.h"
#include "formats/motif_export.h"

namespace formats {

namespace {

bool isTransfacTag(const std::string& line) {
  if (line.size() < 2 || !std::isupper(static_cast<unsigned char>(line[0])) ||
      !std::isalnum(static_cast<unsigned char>(line[1])))
    return false;
  return line.size() == 2 || line[2] == ' ' || line[2] == '\t';
}

}  // namespace

const char* formatName(Format format) {
  switch (format) {
    case Format::Meme: return "MEME";
    case Format::Jaspar: return "JASPAR";
    case Format::JasparPlain: return "JASPAR (plain count rows)";
    case Format::Transfac: return "TRANSFAC";
    case Format::Homer: return "HOMER";
    case Format::Report: return "zelkova report";
  }
  return "unknown";
}

Format detectFormat(const std::string& text, const std::string& source) {
  std::istringstream in(text);
  formats::Lines lines(in, source);
  lines.skipBlank();
  if (lines.atEnd()) throw ReadError(source, 0, "the file is empty: it holds no motif");
  const std::string& first = lines.take("");
  if (startsWith(first, "MEME version")) return Format::Meme;
  if (startsWith(first, "Current local time and date:")) return Format::Report;
  if (isHomerHeader(first)) return Format::Homer;
  if (startsWith(first, ">")) {
    lines.skipBlank();
    if (lines.atEnd()) lines.fail("a header line without a matrix after it");
    const std::string& row = lines.peek();
    const char lead = row[row.find_first_not_of(" \t")];
    return std::isalpha(static_cast<unsigned char>(lead)) ? Format::Jaspar : Format::JasparPlain;
  }
  if (isTransfacTag(first)) return Format::Transfac;
  lines.fail(
      "not a motif file: expected MEME (\"MEME version 4\"), JASPAR (\">ID NAME\"), TRANSFAC (\"AC  ...\"), "
      "HOMER (\">CONSENSUS<tab>NAME<tab>THRESHOLD\") or a zelkova report, found " +
      formats::quoted(first));
}

std::vector<formats::Motif> fromReport(const formats::Report& report, const std::string& source) {
  std::vector<formats::Motif> motifs;
  for (const formats::ReportMotif& r : report.motifs) {
    formats::Motif m;
    m.id = formats::motifId(r);
    m.name = r.consensus;
    for (const formats::CountColumn& c : r.counts)
      m.columns.push_back(formats::Column{static_cast<double>(c[0]), static_cast<double>(c[1]),
                                          static_cast<double>(c[2]), static_cast<double>(c[3])});
    m.counts = true;
    m.nsites = static_cast<double>(r.siteCount);
    m.source = source;
    m.line = r.line;
    motifs.push_back(std::move(m));
  }
  return motifs;
}

MotifFile readWhole(std::istream& in, const std::string& source) {
  std::ostringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  std::istringstream body(text);
  MotifFile file;
  file.format = detectFormat(text, source);
  switch (file.format) {
    case Format::Meme: file.motifs = readMeme(body, source); break;
    case Format::Jaspar: file.motifs = readJaspar(body, source); break;
    case Format::JasparPlain: file.motifs = readJasparPlain(body, source); break;
    case Format::Transfac: file.motifs = readTransfac(body, source); break;
    case Format::Homer: file.motifs = readHomer(body, source); break;
    case Format::Report:
      file.report = formats::readReport(body, source);
      file.motifs = fromReport(*file.report, source);
      break;
  }
  return file;
}

std::vector<formats::Motif> readMotifs(std::istream& in, const std::string& source) {
  return readWhole(in, source).motifs;
}

MotifFile readWholeFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return readWhole(in, formats::inputName(path));
}

std::vector<formats::Motif> readMotifFile(const std::string& path) { return readWholeFile(path).motifs; }

std::vector<formats::Motif> readFiles(const std::vector<std::string>& paths) {
  std::vector<formats::Motif> motifs;
  std::map<std::string, std::size_t> seen;  // identifier -> index in motifs
  for (const std::string& path : paths) {
    std::vector<formats::Motif> more = readMotifFile(path);
    if (more.empty()) throw ReadError(path, 0, "the file holds no motif");
    for (formats::Motif& m : more) {
      const auto [first, added] = seen.emplace(m.id, motifs.size());
      if (!added)
        throw ReadError(m.source, m.line,
                        "motif " + m.id + " is already in " + motifs[first->second].where() +
                            "; identifiers must be unique across the files read together (rename one, or "
                            "leave a file out)");
      motifs.push_back(std::move(m));
    }
  }
  return motifs;
}

}  // namespace formats
