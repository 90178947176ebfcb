// gang-adapter-cli's commands, run on a parsed command line.  Needs a
// QCoreApplication; returns the exit status (exit_status.h).
#pragma once

#include "cli/cli_options.h"
#include "session/port_request.h"

namespace gang::cli {

// port: the adapter the command line asked for, read once at start-up.
int Run_Cli(const TCliOptions& options, const session::TPortRequest& port);

} // namespace gang::cli
