#ifndef ROTAVIS_EXITSTATUS_H
#define ROTAVIS_EXITSTATUS_H

// The exit statuses of rotavis-convert, one per kind of failure, so that scripts can tell
// them apart.
enum ExitStatus
{
    ExitSuccess = 0,
    ExitFailure = 1,          // anything not listed below
    ExitUsage = 2,            // bad or missing options
    ExitNoSuchPanel = 3,      // the configuration cannot be read, has no such panel or
                              // the panel has impossible values; --check-config found
                              // something
    ExitMediaUnreadable = 4,  // the input gives no picture, or can be read only once
    ExitOutputUnwritable = 5, // a fan data file (or a fan view) cannot be written
    ExitBadFanData = 6,       // --inspect: the file is not a sound fan data file
    ExitInterrupted = 128,    // + the signal: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP; the files
                              // hold whole frames only
};

#endif
