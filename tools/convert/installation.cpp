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

Panel* Installation::find(const QString& indexOrModel) const
{
    static const QRegularExpression wholeNumber(QStringLiteral("^\\d+$"));
    if (wholeNumber.match(indexOrModel).hasMatch()) {
        bool ok = false;
        const int index = indexOrModel.toInt(&ok);
        return ok ? loaded.at(index) : nullptr;
    }
    for (const Qt::CaseSensitivity matching : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (Panel* panel : loaded.list()) {
            if (panel->model.compare(indexOrModel, matching) == 0)
                return panel;
        }
    }
    return nullptr;
}
