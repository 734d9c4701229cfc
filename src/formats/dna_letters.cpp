#include "formats/dna_letters.h"

#include <array>
#include <cctype>

#include "formats/text_lines.h"

namespace formats {

namespace {

// Looked up rather than tested: every letter of every input goes through here.
struct LetterTable {
  std::array<LetterReading, 256> reading{};
  constexpr explicit LetterTable(bool lowerAsN) {
    for (const char c : {'A', 'C', 'G', 'T', 'N'}) set(c, c, LetterKind::Base, lowerAsN);
    for (const char c : {'R', 'Y', 'S', 'W', 'K', 'M', 'B', 'D', 'H', 'V'}) set(c, 'N', LetterKind::Iupac, lowerAsN);
  }
  constexpr void set(char upper, char letter, LetterKind kind, bool lowerAsN) {
    reading[static_cast<unsigned char>(upper)] = {letter, kind};
    const char lower = static_cast<char>(upper - 'A' + 'a');
    reading[static_cast<unsigned char>(lower)] = {lowerAsN ? 'N' : letter, kind};
  }
};

constexpr LetterTable kLowerAsUpper(false);
constexpr LetterTable kLowerAsN(true);

struct Signature {
  std::string_view bytes;
  const char* what;
};

// Signatures at the start of files a FASTA reader may be handed by mistake.
constexpr std::string_view kXzMagic(
    "\xfd"
    "7zXZ\0",
    6);
const Signature kSignatures[] = {
    {"\x28\xb5\x2f\xfd",
     "compressed with zstd, which is not read here; decompress it first (zstd -d) or compress it "
     "with gzip"},
    {"BZh", "compressed with bzip2, which is not read here; decompress it first (bunzip2) or compress it with gzip"},
    {kXzMagic, "compressed with xz, which is not read here; decompress it first (unxz) or compress it with gzip"},
    {"\x04\x22\x4d\x18",
     "compressed with lz4, which is not read here; decompress it first (lz4 -d) or compress it "
     "with gzip"},
    {"PK\x03\x04", "a zip archive, not a FASTA file; unpack it first (unzip)"},
    {"\x1a\x41\x27\x43", "a 2bit genome file, not a FASTA file; convert it first (twoBitToFa)"},
    {"\x43\x27\x41\x1a", "a 2bit genome file, not a FASTA file; convert it first (twoBitToFa)"},
    {std::string_view("BAM\x01", 4), "a BAM file of aligned reads, not a FASTA file"},
};

bool isPrintable(unsigned char c) { return c >= 0x20 && c < 0x7f; }

}  // namespace

LetterReading readLetter(unsigned char c, LowerCase lowerCase) {
  return (lowerCase == LowerCase::AsN ? kLowerAsN : kLowerAsUpper).reading[c];
}

std::string letterRefusal(unsigned char c) {
  const std::string shown = "'" + formats::printable(std::string(1, static_cast<char>(c))) + "' is not a DNA letter";
  if (!isPrintable(c)) return shown + "; is this a binary file?";
  if (c == 'U' || c == 'u') return shown + "; is this an RNA file? (write T for U)";
  if (std::isalpha(c)) return shown + "; is this a protein file?";
  if (c == '-' || c == '.') return shown + "; is this an alignment? (remove the gaps)";
  return shown;
}

std::string binaryFormat(std::string_view firstBytes) {
  for (const Signature& s : kSignatures)
    if (firstBytes.substr(0, s.bytes.size()) == s.bytes) return s.what;
  return {};
}

}  // namespace formats
