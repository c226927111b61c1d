#ifndef ROTAVIS_PANEL_H
#define ROTAVIS_PANEL_H

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QRectF>
#include <QString>

class Fan;

// One screen of the installation: a rectangle in panel units carrying its fans.
// A plain data holder; every field is read and written directly.
class Panel : public QObject
{
    Q_OBJECT

public:
    explicit Panel(QObject* parent = nullptr);
    ~Panel() override;

    double hz = 18.0;     // play rate in frames per second
    double width = 0.0;   // panel units
    double height = 0.0;  // panel units
    QList<Fan*> fans;     // in file order; not owned
    QString model;        // the panel's name as the operator sees it
    int edgeOffset = 0;   // width of the rim ring of front fans, in working-picture pixels
    QRectF selection;     // region of the source picture, in source pixels; written by a save
    QString colorOffset0; // colour stops of the front-fan disc on layer 0
    QString colorOffset1; // colour stops of the front-fan ring on layer 1
};

Q_DECLARE_METATYPE(Panel*)

#endif
