// The search behind the public entry points of zelkova.h, for the command
// line, which resolves its configuration itself (with the options it was
// given) before searching.
#pragma once

#include "engine/progress.h"
#include "engine/run_config.h"
#include "formats/report_data.h"

// A search on the files of a resolved configuration (resolveRunConfig):
// refuses outputs that are inputs, loads the three files and runs every stage.
formats::Report searchFiles(const RunConfig& config, const ProgressSink& progress);
