#include "installation.h"

#include "exitstatus.h"
#include "messages.h"
#include "panel.h"
#include "panellimits.h"

#include <QDir>
#include <QRegularExpression>

bool Installation::load(const QString& path, QString* error)
{
    if (!loaded.load(path)) {
        *error = QStringLiteral("cannot read the installation %1 (missing, or not well-formed "
                                "XML)")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (loaded.isEmpty()) {
        *error =
            QStringLiteral("the installation %1 has no panels").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

Panel* Installation::find(const QString& indexOrModel, QStringList* ambiguous) const
{
    static const QRegularExpression wholeNumber(QStringLiteral("^\\d+$"));
    if (wholeNumber.match(indexOrModel).hasMatch()) {
        bool ok = false;
        const int index = indexOrModel.toInt(&ok);
        return ok ? loaded.at(index) : nullptr;
    }
    for (Panel* panel : loaded.list()) {
        if (panel->model == indexOrModel)
            return panel;
    }
    // Without an exact match, the case decides nothing: panels of one model (given twice)
    // are that model's first, as for an exact match, but models that differ among themselves
    // leave the choice open.
    Panel* found = nullptr;
    QStringList candidates;
    bool severalModels = false;
    for (int i = 0; i < loaded.size(); ++i) {
        Panel* panel = loaded.at(i);
        if (panel->model.compare(indexOrModel, Qt::CaseInsensitive) != 0)
            continue;
        if (!found)
            found = panel;
        else if (panel->model != found->model)
            severalModels = true;
        candidates << QStringLiteral("%1 \"%2\"").arg(i).arg(panel->model);
    }
    if (!severalModels)
        return found;
    if (ambiguous)
        *ambiguous = candidates;
    return nullptr;
}

Panel* Installation::usablePanel(const QString& configPath, const QString& panelName, int* status)
{
    QString error;
    if (!load(configPath, &error)) {
        complain(error);
        *status = ExitNoSuchPanel;
        return nullptr;
    }
    QStringList ambiguous;
    Panel* panel = find(panelName, &ambiguous);
    if (!ambiguous.isEmpty()) {
        complainAboutUsage(QStringLiteral("--panel '%1' fits %2 in case only; give the exact "
                                          "name or the position")
                               .arg(panelName, ambiguous.join(QStringLiteral(", "))));
        *status = ExitUsage;
        return nullptr;
    }
    if (!panel) {
        complain(QStringLiteral("%1 has no panel '%2' (see --list-panels)")
                     .arg(native(configPath), panelName));
        *status = ExitNoSuchPanel;
        return nullptr;
    }
    const QString refused = PanelLimits::problem(*panel);
    if (!refused.isEmpty()) {
        complain(QStringLiteral("%1: %2").arg(native(configPath), refused));
        *status = ExitNoSuchPanel;
        return nullptr;
    }
    return panel;
}
