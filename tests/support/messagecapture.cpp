#include "messagecapture.h"

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
    clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(previousHandler);
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
