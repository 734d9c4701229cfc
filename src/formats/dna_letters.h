// The letters the companion programs take as DNA, and the binary files they
// tell apart from FASTA before reading a letter. zelkova itself keeps its own
// rules (every character but white space is a letter); the companions convert
// before they hand sequences to it.
//
// A, C, G, T and N are DNA letters in either case. The IUPAC codes of two or
// more bases (R Y S W K M B D H V, either case) are read as N and counted, so
// that a genome file holding a few of them reads whole. Anything else (E, Q,
// U, '-', '*', a digit, a control byte) is refused: a sequence holding it is
// protein, RNA, an alignment or not text at all, and reading it as N would
// give answers about something else.
#pragma once

#include <string>
#include <string_view>

// What a lower-case letter of a record becomes: its upper-case form (the rule
// of every program), or N, for soft-masked FASTA cut from a repeat-masked
// genome, whose repeats are written in lower case.
enum class LowerCase { AsUpper, AsN };

namespace formats {

enum class LetterKind : unsigned char { Refused, Base, Iupac };

struct LetterReading {
  char letter = 'N';  // what is stored: A, C, G, T or N
  LetterKind kind = LetterKind::Refused;
};

// How the byte `c` of a record reads.
LetterReading readLetter(unsigned char c, LowerCase lowerCase);

// Why `c` is refused, naming it as a character ('E') or, when it is not
// printable, escaped ('\x00'):
//   'E' is not a DNA letter; is this a protein file?
std::string letterRefusal(unsigned char c);

// When the first bytes of a file are the signature of a format that is not
// FASTA (zstd, bzip2, xz, zip, lz4, 2bit, BAM), what it is and what to do,
// "compressed with zstd, which is not read here; decompress it first (zstd -d)
// or compress it with gzip"; empty otherwise.
std::string binaryFormat(std::string_view firstBytes);

}  // namespace formats
