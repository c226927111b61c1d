#ifndef ROTAVIS_CONFIGCHECK_H
#define ROTAVIS_CONFIGCHECK_H

#include <QList>
#include <QString>

// Something in an installation file that is probably a mistake.
struct ConfigFinding
{
    int line = 0;   // from 1; 0 when it concerns the file as a whole
    int column = 0; // from 1, where parsing stopped; 0 for findings about an element
    QString text;
};

// Reads the installation at `path` the way the window reads it and lists, in file order, what
// is probably a mistake: numbers that are no numbers, sizes and LED counts that are not
// positive, rates that are negative or above what a panel plays, LED counts that are no blade
// type, fans reaching outside their panel, panels without fans, panel names given twice (also
// in another case), attributes and elements that are not read, and where the XML stops being
// well-formed. How the window reads the file stays as it is.
QList<ConfigFinding> checkInstallation(const QString& path);

#endif
