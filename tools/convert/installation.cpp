#include "installation.h"

#include "fan.h"
#include "fanconfig.h"
#include "panel.h"

#include <QDir>
#include <QRegularExpression>

Installation::~Installation()
{
    for (Panel* panel : list) {
        qDeleteAll(panel->fans);
        delete panel;
    }
}

bool Installation::load(const QString& path, QString* error)
{
    if (!FanConfig::load(path, list)) {
        *error = QStringLiteral("cannot read the installation %1 (missing, or not well-formed "
                                "XML)")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (list.isEmpty()) {
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
        return ok && index < list.size() ? list.at(index) : nullptr;
    }
    for (const Qt::CaseSensitivity matching : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (Panel* panel : list) {
            if (panel->model.compare(indexOrModel, matching) == 0)
                return panel;
        }
    }
    return nullptr;
}
