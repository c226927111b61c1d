#ifndef ROTAVIS_WINDOWSETTINGS_H
#define ROTAVIS_WINDOWSETTINGS_H

#include "sourceoptions.h"
#include "pictureadjustments.h"

#include <QSettings>
#include <QString>

// What the window remembers between runs: the language, the panel, the folders of the
// open and save dialogs, whether clips are turned by their rotation, the timing, and the
// picture adjustments. Each is written as soon as the operator makes the choice.
class WindowSettings
{
public:
    WindowSettings();

    QString language() const; // "zh" or "en"; empty when never chosen
    void setLanguage(const QString& lang);

    int panelIndex() const; // -1 when never chosen
    QString panelModel() const;
    void setPanel(int index, const QString& model);

    QString openFolder() const;
    void setOpenFolder(const QString& folder);
    QString saveFolder() const;
    void setSaveFolder(const QString& folder);

    bool autorotate() const; // true when never chosen
    void setAutorotate(bool on);
    Timing timing() const; // stepped when never chosen
    void setTiming(Timing timing);
    // Neutral when never set, or when what is stored is not a set of usable values.
    PictureAdjustments adjustments() const;
    void setAdjustments(const PictureAdjustments& values);

private:
    QSettings settings;
};

#endif
