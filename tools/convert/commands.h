#ifndef ROTAVIS_COMMANDS_H
#define ROTAVIS_COMMANDS_H

struct Options;

// The things rotavis-convert does; each returns the program's exit status.
int runConversion(const Options& options);
int listPanels(const Options& options);
int checkConfig(const Options& options);
int inspectFanData(const Options& options);
int repairFanData(const Options& options);
int playFanData(const Options& options);

#endif
