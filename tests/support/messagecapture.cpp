#include "messagecapture.h"

#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex captureLock;
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg) {
        QMutexLocker locker(&captureLock);
        captured << message;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

MessageCapture::MessageCapture()
{
    QLoggingCategory::setFilterRules(QStringLiteral("rotavis.*.debug=true"));
    clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());
}

QStringList MessageCapture::lines() const
{
    QMutexLocker locker(&captureLock);
    return captured;
}

int MessageCapture::count(const QString& line) const
{
    QMutexLocker locker(&captureLock);
    return captured.count(line);
}

void MessageCapture::clear()
{
    QMutexLocker locker(&captureLock);
    captured.clear();
}
