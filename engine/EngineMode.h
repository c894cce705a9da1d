#pragma once

enum EngineMode : int {
    ModeConvert = 1, // convert every job to a target file
    ModeProbe = 2,   // only collect duration and format texts
};

// The one event the overwrite callback is asked about.
enum EngineEvent : int {
    EventTargetExists = 1, // the current job's target file exists already
};
