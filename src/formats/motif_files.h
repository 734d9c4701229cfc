// Motif files read back into formats::Motif: MEME (version 4 minimal), JASPAR
// (bracketed rows and the plain four-row count format), TRANSFAC, HOMER and
// zelkova reports. One reader per format; read() tells the format from the
// content. Every size a file declares (MEME's w= and alength=, the letters of
// a TRANSFAC P0 line, the rows of a JASPAR matrix) must agree with what
// follows it.
// Every reader throws ReadError naming the file and line of the first
// thing it cannot read, and refuses motifs without columns.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/report_reader.h"
#include "formats/text_lines.h"

namespace formats {

enum class Format { Meme, Jaspar, JasparPlain, Transfac, Homer, Report };

// "MEME", "JASPAR", ... for messages.
const char* formatName(Format format);

// The format of a file from its first lines. Throws ReadError on a file that
// is empty or looks like none of them.
Format detectFormat(const std::string& text, const std::string& source);

// "MEME version 4" files: every MOTIF with its letter-probability matrix;
// nsites when given. Only the DNA alphabet ACGT is read. A matrix must have
// exactly the rows its w= announces.
std::vector<formats::Motif> readMeme(std::istream& in, const std::string& source);

// ">ID NAME" headers, then rows "A [ 1 2 ... ]" for A, C, G and T.
std::vector<formats::Motif> readJaspar(std::istream& in, const std::string& source);

// ">ID NAME" headers, then four rows of numbers for A, C, G and T.
std::vector<formats::Motif> readJasparPlain(std::istream& in, const std::string& source);

// TRANSFAC entries ending in "//": AC, ID, NA or DE for the names and the P0
// matrix (its header gives the letter order). Entries without a matrix, such
// as the version block at the top of a database file, are passed over.
std::vector<formats::Motif> readTransfac(std::istream& in, const std::string& source);

// HOMER .motif files: a header ">CONSENSUS<tab>NAME<tab>THRESHOLD..." and a
// row of A, C, G, T per position. The NAME is the identifier, the consensus
// the name.
std::vector<formats::Motif> readHomer(std::istream& in, const std::string& source);
// Whether `line` is a HOMER header: '>' and at least three tab-separated
// fields, the third a number (the log-odds threshold).
bool isHomerHeader(const std::string& line);

// The motifs of a zelkova report, named as zelkova-export names them:
// ZELKOVA-<rank>, with the consensus as name.
std::vector<formats::Motif> fromReport(const formats::Report& report, const std::string& source);

// A motif file as read: its format and motifs, and for a report the report
// itself, for what only a report says (strands, scores, sites).
struct MotifFile {
  Format format = Format::Meme;
  std::vector<formats::Motif> motifs;
  std::optional<formats::Report> report;
};

// Any of the formats above, told from the content.
MotifFile readWhole(std::istream& in, const std::string& source);
std::vector<formats::Motif> readMotifs(std::istream& in, const std::string& source);

// The file at `path`; one that cannot be opened is a ReadError of line 0.
MotifFile readWholeFile(const std::string& path);
std::vector<formats::Motif> readMotifFile(const std::string& path);

// The files at `paths` as one set of motifs, in order. Identifiers must be
// unique across all of them: a motif whose identifier came before is a
// ReadError at its entry, naming where the first one is. A file without any
// motif is a ReadError of line 0.
std::vector<formats::Motif> readFiles(const std::vector<std::string>& paths);

}  // namespace formats
