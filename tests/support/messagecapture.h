#ifndef ROTAVIS_MESSAGECAPTURE_H
#define ROTAVIS_MESSAGECAPTURE_H

#include <QString>
#include <QStringList>

// Collects the debug lines written while it lives (from any thread) instead of printing
// them; warnings and worse still go to the previous handler. The program's diagnostic
// categories, off by default, are turned on meanwhile.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList lines() const;
    int count(const QString& line) const;
    void clear();
};

#endif
