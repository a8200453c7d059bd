#pragma once

#include "jobs/JobExecution.h"

namespace qorprt {

// Runs DoJob so that a failure inside one job ends only that job: the "AppException: " line is
// written, the job's open printer and PDF documents are discarded (nothing half drawn is
// submitted), its file is not marked printed, it leaves the job list, the printer's defaults are
// restored, and the program goes on with the next job. Returns DoJob's result, or true for a
// failed job (it has left the list).
bool RunJob(JobEnvironment& env, bool minimise);

} // namespace qorprt
