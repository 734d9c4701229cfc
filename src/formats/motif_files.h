// Motif files read back into motif::Motif: MEME (version 4 minimal), JASPAR
// (bracketed rows and the plain four-row count format), TRANSFAC and zelkova
// reports. One reader per format; read() tells the format from the content.
// Every reader throws textio::ReadError naming the file and line of the first
// thing it cannot read, and refuses motifs without columns.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "formats/motif.h"
#include "formats/report_reader.h"
#include "formats/text_lines.h"

namespace motif_files {

enum class Format { Meme, Jaspar, JasparPlain, Transfac, Report };

// "MEME", "JASPAR", ... for messages.
const char* formatName(Format format);

// The format of a file from its first lines. Throws ReadError on a file that
// is empty or looks like none of them.
Format detectFormat(const std::string& text, const std::string& source);

// "MEME version 4" files: every MOTIF with its letter-probability matrix;
// nsites when given. Only the DNA alphabet ACGT is read.
std::vector<motif::Motif> readMeme(std::istream& in, const std::string& source);

// ">ID NAME" headers, then rows "A [ 1 2 ... ]" for A, C, G and T.
std::vector<motif::Motif> readJaspar(std::istream& in, const std::string& source);

// ">ID NAME" headers, then four rows of numbers for A, C, G and T.
std::vector<motif::Motif> readJasparPlain(std::istream& in, const std::string& source);

// TRANSFAC entries ending in "//": AC, ID, NA or DE for the names and the P0
// matrix (its header gives the letter order). Entries without a matrix, such
// as the version block at the top of a database file, are passed over.
std::vector<motif::Motif> readTransfac(std::istream& in, const std::string& source);

// The motifs of a zelkova report, named as zelkova-export names them:
// ZELKOVA-<rank>, with the consensus as name.
std::vector<motif::Motif> fromReport(const report::Report& report, const std::string& source);

// Any of the formats above, told from the content.
std::vector<motif::Motif> read(std::istream& in, const std::string& source);

// The file at `path`; one that cannot be opened is a ReadError of line 0.
std::vector<motif::Motif> readFile(const std::string& path);

}  // namespace motif_files
