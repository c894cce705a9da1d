#pragma once

enum EngineState : int {
    StateIdle = 0,          // constructed, never started
    StateRunning = 1,       // the worker is (or is about to be) working
    StateStopRequested = 2, // the owner asked the worker to stop
    StateStopped = 3,       // the worker ended after a stop request
    StateFinished = 4,      // the worker ended after the last job
};
