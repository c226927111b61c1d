#ifndef ROTAVIS_PICTUREDIALOG_H
#define ROTAVIS_PICTUREDIALOG_H

#include "pictureadjustments.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;

// The picture adjustments of the window: a slider and a number for each colour value, the
// rotation and the mirror, and "reset". Every change is announced at once, so that the
// window can follow it live; the dialog stays open beside the window (it is not modal).
class PictureDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PictureDialog(QWidget* parent = nullptr);

    PictureAdjustments values() const { return current; }
    // Shows `values` without announcing them.
    void setValues(const PictureAdjustments& values);

signals:
    void changed(PictureAdjustments values);

protected:
    void changeEvent(QEvent* event) override;

private:
    // One colour value: its slider counts hundredths.
    struct ColourControl
    {
        const PictureAdjustments::Range* range;
        double PictureAdjustments::*value;
        QLabel* label;
        QSlider* slider;
        QDoubleSpinBox* number;
    };

    void addColourControl(int row, const PictureAdjustments::Range& range,
                          double PictureAdjustments::*value);
    void showValues();
    void retext();
    void announce();

    PictureAdjustments current;
    QList<ColourControl> colours;
    QLabel* rotationLabel;
    QComboBox* rotation;
    QCheckBox* mirror;
    QPushButton* reset;
    QPushButton* close;
    bool showing = false; // the controls are being set from values, not by the operator
};

#endif
