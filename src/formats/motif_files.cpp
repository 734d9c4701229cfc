// Which reader a file needs, from its first non-blank line (and for JASPAR
// the line after it), so users never have to say what format they pass.
#include "formats/motif_files.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "formats/command_files.h"
#include "formats/motif_export.h"

namespace motif_files {

namespace {

using textio::startsWith;

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
    case Format::Report: return "zelkova report";
  }
  return "unknown";
}

Format detectFormat(const std::string& text, const std::string& source) {
  std::istringstream in(text);
  textio::Lines lines(in, source);
  lines.skipBlank();
  if (lines.atEnd()) throw textio::ReadError(source, 0, "the file is empty: it holds no motif");
  const std::string& first = lines.take("");
  if (startsWith(first, "MEME version")) return Format::Meme;
  if (startsWith(first, "Current local time and date:")) return Format::Report;
  if (startsWith(first, ">")) {
    lines.skipBlank();
    if (lines.atEnd()) lines.fail("a header line without a matrix after it");
    const std::string& row = lines.peek();
    const char lead = row[row.find_first_not_of(" \t")];
    return std::isalpha(static_cast<unsigned char>(lead)) ? Format::Jaspar : Format::JasparPlain;
  }
  if (isTransfacTag(first)) return Format::Transfac;
  lines.fail("not a motif file: expected MEME (\"MEME version 4\"), JASPAR (\">ID NAME\"), TRANSFAC (\"AC  ...\") "
             "or a zelkova report, found " + textio::quoted(first));
}

std::vector<motif::Motif> fromReport(const report::Report& report, const std::string& source) {
  std::vector<motif::Motif> motifs;
  for (const report::Motif& r : report.motifs) {
    motif::Motif m;
    m.id = export_formats::motifId(r);
    m.name = r.consensus;
    for (const report::Column& c : r.counts)
      m.columns.push_back(motif::Column{static_cast<double>(c[0]), static_cast<double>(c[1]),
                                        static_cast<double>(c[2]), static_cast<double>(c[3])});
    m.counts = true;
    m.nsites = static_cast<double>(r.siteCount);
    m.source = source;
    m.line = r.line;
    motifs.push_back(std::move(m));
  }
  return motifs;
}

std::vector<motif::Motif> read(std::istream& in, const std::string& source) {
  std::ostringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  std::istringstream body(text);
  switch (detectFormat(text, source)) {
    case Format::Meme: return readMeme(body, source);
    case Format::Jaspar: return readJaspar(body, source);
    case Format::JasparPlain: return readJasparPlain(body, source);
    case Format::Transfac: return readTransfac(body, source);
    case Format::Report: return fromReport(report::read(body, source), source);
  }
  throw textio::ReadError(source, 0, "unknown motif format");
}

std::vector<motif::Motif> readFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return read(in, command_files::inputName(path));
}

}  // namespace motif_files
