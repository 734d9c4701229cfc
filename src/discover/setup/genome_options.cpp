#include "discover/setup/genome_options.h"

#include <algorithm>
#include <limits>

#include "formats/numbers.h"

namespace discover {

std::optional<long long> parseWindowSize(const std::string& text) {
  if (text == "given") return std::nullopt;
  try {
    return cli::wholeNumber(text, "--size", 1, kMaxWindowSize);
  } catch (const UsageError&) {
    throw UsageError("--size \"" + text + "\" is neither a whole number from 1 to " + std::to_string(kMaxWindowSize) +
                     " nor \"given\".");
  }
}

ControlSource controlSource(const GenomeOptions& options, const std::string& controlFile) {
  if (!controlFile.empty()) return ControlSource::File;
  if (!options.controlPeaksFile.empty()) return ControlSource::ControlPeaks;
  if (options.peaksFile.empty() || options.shuffledControl) return ControlSource::Shuffled;
  return ControlSource::GenomicBackground;
}

bool controlFromGenome(ControlSource source) {
  return source == ControlSource::GenomicBackground || source == ControlSource::ControlPeaks;
}

void addGenomeOptions(cli::Parser& parser, GenomeOptions& o, std::vector<std::string>& peaksOnly) {
  // Options that mean something only with --peaks note that they were given.
  auto noted = [&peaksOnly](const std::string& name, cli::Parser::ValueAction action) {
    return [&peaksOnly, name, action](const std::string& v) {
      peaksOnly.push_back(name);
      action(v);
    };
  };
  parser.value("", "--peaks", "PEAKS",
               "peaks instead of PRIMARY.fa: BED (3 to 12 columns) or\n"
               "narrowPeak, plain or gzip; windows are cut from --genome",
               o.peaksFile);
  parser.value("", "--genome", "GENOME.fa",
               "the genome of the peaks, FASTA plain or bgzip-compressed, read\n"
               "through its index (.fai, .gzi), built beside it when missing",
               o.genomeFile);
  parser.value("", "--size", "N|given",
               cli::helpWith("with --peaks: windows of N letters centred on each summit (or\n"
                             "centre); given: the peaks' own intervals (default {default})",
                             {{"default", o.windowSize ? std::to_string(*o.windowSize) : "given"}}),
               noted("--size", [&o](const std::string& v) { o.windowSize = parseWindowSize(v); }));
  parser.value("", "--top-peaks", "N", "with --peaks: the N strongest peaks only (narrowPeak\nsignal, else score)",
               noted("--top-peaks", [&o](const std::string& v) {
                 o.topPeaks = static_cast<int>(cli::wholeNumber(v, "--top-peaks", 1, std::numeric_limits<int>::max()));
               }));
  parser.value(
      "", "--background-ratio", "R",
      cli::helpWith("with --peaks: GC-matched genomic windows drawn per peak window,\n"
                    "above 0, at most {max} (default {default})",
                    {{"max", formats::compact(kMaxBackgroundRatio)}, {"default", formats::compact(o.backgroundRatio)}}),
      noted("--background-ratio", [&o](const std::string& v) {
        o.backgroundRatio = cli::realNumber(v, "--background-ratio", {0.0, false, kMaxBackgroundRatio, true});
      }));
  parser.value("", "--exclude", "BED",
               "with --peaks: regions (a blacklist) kept out of the peak\nwindows and the control",
               noted("--exclude", [&o](const std::string& v) { o.excludeFile = v; }));
  parser.value("", "--control-peaks", "BED",
               "with --peaks: another peak set whose windows are the control,\ninstead of the genomic background",
               noted("--control-peaks", [&o](const std::string& v) { o.controlPeaksFile = v; }));
  parser.flag("", "--shuffled-control",
              "dinucleotide-shuffled copies of the primary sequences as the\ncontrol (the default without --peaks)",
              o.shuffledControl);
  parser.flag("", "--index-genome", "find or build the index of --genome beside it, then stop", o.indexOnly);
}

namespace {

void refuseTwoControls(const GenomeOptions& o, bool controlFileGiven) {
  std::vector<std::string> controls;
  if (controlFileGiven) controls.push_back("--control");
  if (!o.controlPeaksFile.empty()) controls.push_back("--control-peaks");
  if (o.shuffledControl) controls.push_back("--shuffled-control");
  if (controls.size() > 1)
    throw UsageError(controls[0] + " and " + controls[1] + " each choose the control; give one of them.");
}

}  // namespace

void checkGenomeOptions(const GenomeOptions& o, const std::vector<std::string>& peaksOnly, bool primaryGiven,
                        bool controlFileGiven, bool trimGiven) {
  if (o.indexOnly) {
    if (o.genomeFile.empty()) throw UsageError("--index-genome needs --genome GENOME.fa.");
    if (primaryGiven || !o.peaksFile.empty())
      throw UsageError("--index-genome only indexes the genome; give it without PRIMARY.fa or --peaks.");
    return;
  }
  if (!o.peaksFile.empty() && primaryGiven)
    throw UsageError("PRIMARY.fa and --peaks both name the primary sequences; give one of them.");
  if (!o.peaksFile.empty() && o.genomeFile.empty())
    throw UsageError("--peaks needs --genome GENOME.fa, the genome the peaks were called on.");
  if (o.peaksFile.empty() && !o.genomeFile.empty())
    throw UsageError("--genome needs --peaks PEAKS: the windows of the peaks are cut from the genome.");
  if (o.peaksFile.empty() && !peaksOnly.empty()) throw UsageError(peaksOnly.front() + " applies to --peaks only.");
  if (!o.peaksFile.empty() && trimGiven)
    throw UsageError("--trim cuts the records of PRIMARY.fa; with --peaks, --size sets the windows' length.");
  refuseTwoControls(o, controlFileGiven);
  const bool backgroundRatioGiven =
      std::find(peaksOnly.begin(), peaksOnly.end(), "--background-ratio") != peaksOnly.end();
  if (backgroundRatioGiven && controlSource(o, controlFileGiven ? "given" : "") != ControlSource::GenomicBackground)
    throw UsageError("--background-ratio sizes the genomic background, which the control chosen replaces.");
}

}  // namespace discover
