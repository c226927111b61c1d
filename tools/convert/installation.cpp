#include "installation.h"

#include "panel.h"

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
