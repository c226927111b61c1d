#ifndef ROTAVIS_EXITSTATUS_H
#define ROTAVIS_EXITSTATUS_H

// The exit statuses of rotavis-convert, one per kind of failure, so that scripts can tell
// them apart.
enum ExitStatus
{
    ExitSuccess = 0,
    ExitFailure = 1,          // anything not listed below
    ExitUsage = 2,            // bad or missing options
    ExitNoSuchPanel = 3,      // the configuration cannot be read or has no such panel;
                              // --check-config found something
    ExitMediaUnreadable = 4,  // the input gives no picture
    ExitOutputUnwritable = 5, // a fan data file (or a fan view) cannot be written
    ExitBadFanData = 6,       // --inspect: the file is not a sound fan data file
    ExitInterrupted = 130,    // stopped by Ctrl-C; the files hold whole frames only
};

#endif
