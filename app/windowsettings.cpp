#include "windowsettings.h"

namespace {
const QString languageKey = QStringLiteral("language");
const QString panelIndexKey = QStringLiteral("panel/index");
const QString panelModelKey = QStringLiteral("panel/model");
const QString openFolderKey = QStringLiteral("folders/open");
const QString saveFolderKey = QStringLiteral("folders/save");
const QString autorotateKey = QStringLiteral("clips/autorotate");
const QString timingKey = QStringLiteral("clips/timing");
} // namespace

WindowSettings::WindowSettings() : settings(QStringLiteral("Rotavis"), QStringLiteral("Rotavis")) {}

QString WindowSettings::language() const
{
    return settings.value(languageKey).toString();
}

void WindowSettings::setLanguage(const QString& lang)
{
    settings.setValue(languageKey, lang);
}

int WindowSettings::panelIndex() const
{
    return settings.value(panelIndexKey, -1).toInt();
}

QString WindowSettings::panelModel() const
{
    return settings.value(panelModelKey).toString();
}

void WindowSettings::setPanel(int index, const QString& model)
{
    settings.setValue(panelIndexKey, index);
    settings.setValue(panelModelKey, model);
}

QString WindowSettings::openFolder() const
{
    return settings.value(openFolderKey).toString();
}

void WindowSettings::setOpenFolder(const QString& folder)
{
    settings.setValue(openFolderKey, folder);
}

QString WindowSettings::saveFolder() const
{
    return settings.value(saveFolderKey).toString();
}

void WindowSettings::setSaveFolder(const QString& folder)
{
    settings.setValue(saveFolderKey, folder);
}

bool WindowSettings::autorotate() const
{
    return settings.value(autorotateKey, true).toBool();
}

void WindowSettings::setAutorotate(bool on)
{
    settings.setValue(autorotateKey, on);
}

Timing WindowSettings::timing() const
{
    return settings.value(timingKey).toString() == QLatin1String("exact") ? Timing::Exact
                                                                          : Timing::Stepped;
}

void WindowSettings::setTiming(Timing timing)
{
    settings.setValue(timingKey, timing == Timing::Exact ? QStringLiteral("exact")
                                                         : QStringLiteral("stepped"));
}
