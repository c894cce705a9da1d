#pragma once

// How a job ended. A job the worker has not reached yet is StatusPending.
enum JobStatus : int {
    StatusPending = 0, // not reached (yet), or the run was stopped before it
    StatusDone = 1,    // converted (or probed); the target is a finished file
    StatusSkipped = 2, // nothing to do: the target is the source, or an existing one was kept
    StatusStopped = 3, // the user stopped the run while this job converted
    StatusFailed = 4,  // the converter could not make a finished target
};
