#include "diagnostics.h"

Q_LOGGING_CATEGORY(configLog, "rotavis.config", QtInfoMsg)
Q_LOGGING_CATEGORY(decodeLog, "rotavis.decode", QtInfoMsg)
Q_LOGGING_CATEGORY(convertLog, "rotavis.convert", QtInfoMsg)
Q_LOGGING_CATEGORY(windowLog, "rotavis.window", QtInfoMsg)

namespace Diagnostics {

void enable()
{
    QLoggingCategory::setFilterRules(QStringLiteral("rotavis.*.debug=true"));
}

} // namespace Diagnostics
