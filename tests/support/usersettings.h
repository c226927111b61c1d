#ifndef ROTAVIS_USERSETTINGS_H
#define ROTAVIS_USERSETTINGS_H

#include <QSettings>
#include <QStandardPaths>
#include <QString>

// Keeps what a test's windows and their file dialogs remember away from the user's own
// settings: the standard locations become Qt's test folders, and settings of the user scope
// go to `folder`, which the test owns. Call it before the first window or settings object.
inline void isolateUserSettings(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

#endif
