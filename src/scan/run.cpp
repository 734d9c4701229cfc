#include "scan/run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "base/errors.h"
#include "base/parallel.h"
#include "formats/command_files.h"
#include "formats/meme_background.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "formats/site_table.h"

namespace scan {

namespace {

int widest(const std::vector<formats::Motif>& motifs) {
  int width = 1;
  for (const formats::Motif& m : motifs) width = std::max(width, m.width());
  return width;
}

std::unique_ptr<PieceSource> sourceOf(const Options& o, formats::IndexedGenome* genome,
                                      const std::vector<stats::Interval>& regions, int overlap) {
  if (genome) return genomePieces(*genome, regions, overlap);
  return fastaPieces(o.sequenceFile, o.maxLetters, overlap);
}

// A line on standard error rewritten as the scan goes on, on a terminal only.
class Progress {
 public:
  Progress() : shown_(::isatty(STDERR_FILENO) == 1) {}
  void scanned(long long letters) {
    total_ += letters;
    if (shown_) std::fprintf(stderr, "\rzelkova-scan: %.1f Mb scanned", static_cast<double>(total_) / 1e6);
  }
  ~Progress() {
    if (shown_ && total_ > 0) std::fprintf(stderr, "\n");
  }

 private:
  bool shown_;
  long long total_ = 0;
};

// Pieces scanned at once: enough to keep every thread busy when there are
// few motifs, few enough to keep the memory small.
std::size_t piecesPerRound(int threads) { return static_cast<std::size_t>(std::max(1, threads)); }

// The motifs over one round of pieces, added to `tallies` in piece order.
void scanRound(const std::vector<MotifModel>& models, const std::vector<Piece>& pieces, const Options& o,
               std::vector<MotifTally>& tallies) {
  std::vector<std::unique_ptr<stats::CodedSequences>> coded(pieces.size());
  parallelFor(o.threads, pieces.size(),
              [&](std::size_t i) { coded[i] = std::make_unique<stats::CodedSequences>(pieces[i].stretches); });
  std::vector<std::optional<MotifTally>> found(pieces.size() * models.size());
  parallelFor(o.threads, found.size(), [&](std::size_t t) {
    const std::size_t piece = t / models.size(), motif = t % models.size();
    found[t].emplace(scanPiece(models[motif], pieces[piece], *coded[piece], o.maxSites));
  });
  for (std::size_t t = 0; t < found.size(); ++t) tallies[t % models.size()].add(std::move(*found[t]));
}

// The rows of one motif's sites. With `placesInNames`, a sequence named as a
// genome region of its own length is placed there.
void addRows(const MotifModel& model, const MotifResult& result, const PieceSource& source, bool placesInNames,
             std::vector<formats::SiteRow>& rows) {
  for (const ReportedSite& r : result.sites) {
    const FoundSite& s = r.site;
    formats::SiteRow row{model.id,
                         model.alt,
                         source.names()[s.sequence],
                         s.start,
                         s.start + model.width,
                         model.strands[static_cast<std::size_t>(s.strand)].strand,
                         stats::ScoringMatrix::bits(s.score),
                         s.p,
                         r.q,
                         s.matched,
                         std::nullopt};
    const std::optional<stats::Interval> region = placesInNames ? stats::intervalOfName(row.sequence) : std::nullopt;
    if (region && region->length() == source.lengths()[s.sequence]) {
      const bool reverse = region->strand == '-';
      const long long start = reverse ? region->end - row.end : region->start + row.start;
      const char strand = reverse ? (row.strand == '+' ? '-' : '+') : row.strand;
      row.place = formats::GenomePlace{region->chrom, start, start + model.width, strand};
    }
    rows.push_back(std::move(row));
  }
}

// "%g" of printf: how the warning gives the threshold.
std::string shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The warning of a motif whose sites --max-sites cut; empty when none were.
std::string cutWarning(const MotifModel& model, const MotifResult& result, const Options& o) {
  if (result.qualifying <= static_cast<long long>(result.sites.size())) return "";
  return "Warning: motif " + model.id + " has " + std::to_string(result.qualifying) + " sites of " +
         (o.qValue ? "q" : "p") + " at most " + shortest(o.qValue ? *o.qValue : o.pValue) + "; only the best " +
         std::to_string(result.sites.size()) + " by p are written (--max-sites " + std::to_string(o.maxSites) + ").";
}

}  // namespace

stats::Background chooseBackground(const Options& o, formats::IndexedGenome* genome,
                                   const std::vector<stats::Interval>& regions) {
  switch (o.background) {
    case BackgroundSource::Uniform: return stats::uniformBackground();
    case BackgroundSource::File: return formats::readMemeBackgroundFile(o.backgroundFile);
    case BackgroundSource::Sequences: break;
  }
  const std::unique_ptr<PieceSource> source = sourceOf(o, genome, regions, 0);
  const std::array<long long, 4> counts = countLetters(*source);
  if (counts[0] + counts[1] + counts[2] + counts[3] == 0)
    throw FatalError("Error: " + (genome ? genome->path() : o.sequenceFile) +
                     " holds no A, C, G or T to take the background from; give --bg uniform or a file.\n");
  return stats::strandSymmetricBackground(counts);
}

std::vector<MotifResult> scanAll(const std::vector<MotifModel>& models, PieceSource& source, const Options& o,
                                 const ScanProgress& progress) {
  std::vector<MotifTally> tallies;
  for (const MotifModel& m : models) tallies.emplace_back(m, o.maxSites);
  std::vector<Piece> pieces;
  auto scanPieces = [&] {
    scanRound(models, pieces, o, tallies);
    long long letters = 0;
    for (const Piece& p : pieces) letters += p.letters();
    if (progress) progress(letters);
    pieces.clear();
  };
  for (Piece piece; source.next(piece);) {
    pieces.push_back(std::move(piece));
    if (pieces.size() == piecesPerRound(o.threads)) scanPieces();
  }
  if (!pieces.empty()) scanPieces();
  std::vector<MotifResult> results;
  for (std::size_t m = 0; m < models.size(); ++m)
    results.push_back(finishMotif(models[m], std::move(tallies[m]), o.qValue));
  return results;
}

SiteTable scanMotifs(const std::vector<formats::Motif>& motifs, const Options& o, const ScanProgress& progress) {
  std::optional<formats::IndexedGenome> genome;
  std::vector<stats::Interval> regions;
  if (!o.genomeFile.empty()) {
    genome.emplace(o.genomeFile);
    regions = scanRegions(*genome, o.regionsFile);
  }
  formats::IndexedGenome* genomePointer = genome ? &*genome : nullptr;
  const stats::Background background = chooseBackground(o, genomePointer, regions);
  std::vector<std::optional<MotifModel>> built(motifs.size());
  parallelFor(o.threads, motifs.size(), [&](std::size_t m) {
    built[m].emplace(motifModel(motifs[m], background, o.pseudocount, o.strands, o.pBound()));
  });
  std::vector<MotifModel> models;
  for (std::optional<MotifModel>& m : built) models.push_back(std::move(*m));

  const std::unique_ptr<PieceSource> source = sourceOf(o, genomePointer, regions, widest(motifs) - 1);
  const std::vector<MotifResult> results = scanAll(models, *source, o, progress);
  SiteTable table;
  for (std::size_t m = 0; m < models.size(); ++m) {
    addRows(models[m], results[m], *source, !genome, table.rows);
    const std::string warning = cutWarning(models[m], results[m], o);
    if (!warning.empty()) table.warnings.push_back(warning);
  }
  return table;
}

int runScan(const Options& o) {
  formats::checkCommandFiles(o.inputFiles(), {{o.outputFile, "output"}});
  const std::vector<formats::Motif> motifs = formats::readFiles(o.motifFiles);
  SiteTable table;
  {
    Progress progress;
    table = scanMotifs(motifs, o, [&](long long letters) { progress.scanned(letters); });
  }
  formats::OutputFile out = formats::openOutput(o.outputFile);
  out.write(formats::siteHeaderText(o.layout));
  out.write(formats::siteRowsText(o.layout, table.rows));
  out.commit();
  for (const std::string& warning : table.warnings) std::fprintf(stderr, "%s\n", warning.c_str());
  return 0;
}

}  // namespace scan
