#ifndef ROTAVIS_FAN_H
#define ROTAVIS_FAN_H

#include <QObject>

class QDataStream;
class QFile;

// One spinning LED blade on a panel. A plain data holder; every field is read and written directly.
class Fan : public QObject
{
    Q_OBJECT

public:
    explicit Fan(QObject* parent = nullptr);
    ~Fan() override;

    double diameter = 0.0;         // panel units
    double x = 0.0;                // centre, panel units from the panel's left edge
    double y = 0.0;                // centre, panel units from the panel's top edge
    int ledpcs = 0;                // LEDs on the blade
    int z = 0;                     // layer: 0 is sampled from layer 0, anything else from layer 1
    QDataStream* stream = nullptr; // valid only during an output run
    QFile* file = nullptr;         // valid only during an output run
};

#endif
