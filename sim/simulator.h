// The simulator run: opens the links the options ask for, creates their
// units, and serves them from one thread that blocks in a single wait until
// bytes arrive, a reply or the live status is due, or it is asked to stop.
#pragma once

#include "sim/sim_options.h"

// Returns the process exit code: 0 after a normal end, 1 when a link could
// not be opened or failed with nothing left to serve.
int RunSimulator(const SimOptions& options);
