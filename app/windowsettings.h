#ifndef ROTAVIS_WINDOWSETTINGS_H
#define ROTAVIS_WINDOWSETTINGS_H

#include <QSettings>
#include <QString>

// What the window remembers between runs: the language, the panel, and the folders of the
// open and save dialogs. Each is written as soon as the operator makes the choice.
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

private:
    QSettings settings;
};

#endif
