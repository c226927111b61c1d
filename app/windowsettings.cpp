#include "windowsettings.h"

namespace {
const QString languageKey = QStringLiteral("language");
const QString panelIndexKey = QStringLiteral("panel/index");
const QString panelModelKey = QStringLiteral("panel/model");
const QString openFolderKey = QStringLiteral("folders/open");
const QString saveFolderKey = QStringLiteral("folders/save");
const QString autorotateKey = QStringLiteral("clips/autorotate");
const QString timingKey = QStringLiteral("clips/timing");
const QString brightnessKey = QStringLiteral("picture/brightness");
const QString contrastKey = QStringLiteral("picture/contrast");
const QString saturationKey = QStringLiteral("picture/saturation");
const QString gammaKey = QStringLiteral("picture/gamma");
const QString rotationKey = QStringLiteral("picture/rotation");
const QString mirrorKey = QStringLiteral("picture/mirror");
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

PictureAdjustments WindowSettings::adjustments() const
{
    PictureAdjustments values;
    const auto number = [this](const QString& key, double fallback, bool* ok) {
        if (!settings.contains(key))
            return fallback;
        bool valid = false;
        const double value = settings.value(key).toDouble(&valid);
        *ok = *ok && valid;
        return value;
    };
    bool ok = true;
    values.brightness = number(brightnessKey, values.brightness, &ok);
    values.contrast = number(contrastKey, values.contrast, &ok);
    values.saturation = number(saturationKey, values.saturation, &ok);
    values.gamma = number(gammaKey, values.gamma, &ok);
    values.rotation = settings.value(rotationKey, 0).toInt();
    values.mirror = settings.value(mirrorKey, false).toBool();
    return ok && values.problem().isEmpty() ? values : PictureAdjustments();
}

void WindowSettings::setAdjustments(const PictureAdjustments& values)
{
    settings.setValue(brightnessKey, values.brightness);
    settings.setValue(contrastKey, values.contrast);
    settings.setValue(saturationKey, values.saturation);
    settings.setValue(gammaKey, values.gamma);
    settings.setValue(rotationKey, values.rotation);
    settings.setValue(mirrorKey, values.mirror);
}
