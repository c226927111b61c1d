#ifndef ROTAVIS_COMMANDLINE_H
#define ROTAVIS_COMMANDLINE_H

#include <QString>

// The file that `rotavis FILE` names, to be opened at start-up: its name exactly as given,
// also where it is not UTF-8; empty when none is named. Call it after QApplication has
// taken out its own options. Of several files the first is taken: the window shows one.
QString commandLineFile(int argc, char* argv[]);

// What `rotavis --help` or `rotavis --version` prints instead of opening a window; empty for
// every other command line. `version` is the program's.
QString commandLineAnswer(int argc, char* argv[], const QString& version);

#endif
