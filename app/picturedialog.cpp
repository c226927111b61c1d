#include "picturedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <cmath>

namespace {

// The window's texts share one translation context.
QString text(const char* source)
{
    return QCoreApplication::translate("MainWindow", source);
}

constexpr int stepsPerUnit = 100;

int sliderPosition(double value)
{
    return int(std::lround(value * stepsPerUnit));
}

} // namespace

PictureDialog::PictureDialog(QWidget* parent) : QDialog(parent)
{
    setModal(false);
    auto* grid = new QGridLayout(this);
    addColourControl(0, PictureAdjustments::brightnessRange, &PictureAdjustments::brightness);
    addColourControl(1, PictureAdjustments::contrastRange, &PictureAdjustments::contrast);
    addColourControl(2, PictureAdjustments::saturationRange, &PictureAdjustments::saturation);
    addColourControl(3, PictureAdjustments::gammaRange, &PictureAdjustments::gamma);

    rotationLabel = new QLabel(this);
    rotation = new QComboBox(this);
    rotation->setObjectName("comboBox_rotation");
    for (int degrees : {0, 90, 180, 270})
        rotation->addItem(QString::fromUtf8("%1°").arg(degrees), degrees);
    grid->addWidget(rotationLabel, 4, 0);
    grid->addWidget(rotation, 4, 1);
    mirror = new QCheckBox(this);
    mirror->setObjectName("checkBox_mirror");
    grid->addWidget(mirror, 4, 2);
    connect(rotation, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        current.rotation = rotation->currentData().toInt();
        announce();
    });
    connect(mirror, &QCheckBox::toggled, this, [this](bool on) {
        current.mirror = on;
        announce();
    });

    reset = new QPushButton(this);
    reset->setObjectName("pushButton_reset");
    close = new QPushButton(this);
    close->setObjectName("pushButton_close");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(reset);
    buttons->addWidget(close);
    grid->addLayout(buttons, 5, 0, 1, 3);
    connect(reset, &QPushButton::clicked, this, [this] {
        setValues(PictureAdjustments());
        announce();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    showValues();
    retext();
}

void PictureDialog::addColourControl(int row, const PictureAdjustments::Range& range,
                                     double PictureAdjustments::*value)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    ColourControl control{&range, value, new QLabel(this), new QSlider(Qt::Horizontal, this),
                          new QDoubleSpinBox(this)};
    control.slider->setObjectName(QStringLiteral("slider_") + range.name);
    control.number->setObjectName(QStringLiteral("number_") + range.name);
    control.slider->setRange(sliderPosition(range.low), sliderPosition(range.high));
    control.slider->setMinimumWidth(200);
    control.number->setRange(range.low, range.high);
    control.number->setDecimals(2);
    control.number->setSingleStep(0.01);
    grid->addWidget(control.label, row, 0);
    grid->addWidget(control.slider, row, 1);
    grid->addWidget(control.number, row, 2);
    connect(control.slider, &QSlider::valueChanged, this, [this, control](int position) {
        if (showing)
            return;
        current.*control.value = double(position) / stepsPerUnit;
        showValues();
        announce();
    });
    connect(control.number, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this, control](double number) {
                if (showing)
                    return;
                current.*control.value = number;
                showValues();
                announce();
            });
    colours.append(control);
}

void PictureDialog::setValues(const PictureAdjustments& values)
{
    current = values;
    showValues();
}

void PictureDialog::showValues()
{
    showing = true;
    for (const ColourControl& control : colours) {
        control.slider->setValue(sliderPosition(current.*control.value));
        control.number->setValue(current.*control.value);
    }
    {
        const QSignalBlocker quiet(rotation);
        rotation->setCurrentIndex(rotation->findData(current.rotation));
    }
    {
        const QSignalBlocker quiet(mirror);
        mirror->setChecked(current.mirror);
    }
    showing = false;
}

void PictureDialog::announce()
{
    if (!showing)
        emit changed(current);
}

void PictureDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retext();
    QDialog::changeEvent(event);
}

void PictureDialog::retext()
{
    setWindowTitle(text("Picture"));
    const char* names[] = {
        QT_TRANSLATE_NOOP("MainWindow", "brightness"), QT_TRANSLATE_NOOP("MainWindow", "contrast"),
        QT_TRANSLATE_NOOP("MainWindow", "saturation"), QT_TRANSLATE_NOOP("MainWindow", "gamma")};
    for (int i = 0; i < colours.size(); ++i)
        colours[i].label->setText(text(names[i]));
    rotationLabel->setText(text("rotation"));
    mirror->setText(text("mirror"));
    reset->setText(text("reset"));
    close->setText(text("close"));
}
