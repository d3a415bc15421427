#include "settingsdialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int lowestSpeed = 1;
constexpr int highestSpeed = 100;

// The tests find the widgets by their object names, which no user sees: a member's is its own.
template<typename T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// A screen reader names the spin box after the label above it, and the slider by the bound it
// sets; left alone, all four would take the group box's title.
QHBoxLayout *speedRow(
    QLabel *label, QSlider *slider, QSpinBox *spinBox, int value, const QString &bound)
{
    label->setBuddy(spinBox);
    slider->setAccessibleName(bound);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(lowestSpeed, highestSpeed);
    slider->setValue(value);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    spinBox->setRange(lowestSpeed, highestSpeed);
    spinBox->setValue(value);
    spinBox->setSuffix(QStringLiteral(" px"));
    spinBox->setMinimumWidth(80);

    auto *row = new QHBoxLayout;
    row->addWidget(slider);
    row->addWidget(spinBox);
    return row;
}

// Every push button of a dialog takes Enter by default, and the first of them in the dialog
// would be the preset "Slow (1-3)". These act only when clicked or pressed with Space, so that
// Enter confirms the dialog through OK, as in any other dialog.
QPushButton *setButton(const char *name, const QString &text, QWidget *parent)
{
    auto *button = named(new QPushButton(text, parent), name);
    button->setAutoDefault(false);
    return button;
}

QPushButton *presetButton(
    const char *name, const QString &text, const QString &styleSheet, QWidget *parent)
{
    QPushButton *button = setButton(name, text, parent);
    button->setStyleSheet(styleSheet);
    return button;
}

// The pastel faces stay light under every colour scheme, so their labels stay as dark as a light
// scheme draws them: a dark scheme's light button text would all but vanish on them.
QPushButton *pastelPresetButton(
    const char *name, const QString &text, const char *face, QWidget *parent)
{
    QPushButton *button = presetButton(name, text,
        QStringLiteral("QPushButton { background-color: %1; }").arg(QLatin1String(face)), parent);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(palette);
    return button;
}

QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    for (QPushButton *button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("DVD Speed Setting"));
    setModal(true);
    setFixedSize(520, 450);
    setupUi();

    connect(minSpeedSlider, &QSlider::valueChanged, minSpeedSpinBox, &QSpinBox::setValue);
    connect(minSpeedSpinBox, &QSpinBox::valueChanged, minSpeedSlider, &QSlider::setValue);
    connect(minSpeedSpinBox, &QSpinBox::valueChanged, this, &SettingsDialog::onMinSpeedChanged);
    connect(maxSpeedSlider, &QSlider::valueChanged, maxSpeedSpinBox, &QSpinBox::setValue);
    connect(maxSpeedSpinBox, &QSpinBox::valueChanged, maxSpeedSlider, &QSlider::setValue);
    connect(maxSpeedSpinBox, &QSpinBox::valueChanged, this, &SettingsDialog::onMaxSpeedChanged);
    connect(resetButton, &QPushButton::clicked, this, &SettingsDialog::resetToDefaults);
    connect(okButton, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(slowButton, &QPushButton::clicked, this, &SettingsDialog::setSlowPreset);
    connect(normalButton, &QPushButton::clicked, this, &SettingsDialog::setNormalPreset);
    connect(fastButton, &QPushButton::clicked, this, &SettingsDialog::setFastPreset);
    connect(veryFastButton, &QPushButton::clicked, this, &SettingsDialog::setVeryFastPreset);
    connect(extremeButton, &QPushButton::clicked, this, &SettingsDialog::setExtremePreset);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::setupUi()
{
    mainLayout = named(new QVBoxLayout(this), "mainLayout");
    speedGroup
        = named(new QGroupBox(QStringLiteral("DVD Movement Speed Settings"), this), "speedGroup");
    auto *groupLayout = new QVBoxLayout(speedGroup);

    minSpeedLabel
        = named(new QLabel(QStringLiteral("Minimum Speed (pixels/frame):"), this), "minSpeedLabel");
    groupLayout->addWidget(minSpeedLabel);
    minSpeedSlider = named(new QSlider(this), "minSpeedSlider");
    minSpeedSpinBox = named(new QSpinBox(this), "minSpeedSpinBox");
    groupLayout->addLayout(speedRow(
        minSpeedLabel, minSpeedSlider, minSpeedSpinBox, 2, QStringLiteral("Minimum Speed")));

    maxSpeedLabel
        = named(new QLabel(QStringLiteral("Maximum Speed (pixels/frame):"), this), "maxSpeedLabel");
    groupLayout->addWidget(maxSpeedLabel);
    maxSpeedSlider = named(new QSlider(this), "maxSpeedSlider");
    maxSpeedSpinBox = named(new QSpinBox(this), "maxSpeedSpinBox");
    groupLayout->addLayout(speedRow(
        maxSpeedLabel, maxSpeedSlider, maxSpeedSpinBox, 4, QStringLiteral("Maximum Speed")));

    groupLayout->addWidget(new QLabel(QStringLiteral("Quick Settings:"), this));
    slowButton = pastelPresetButton("slowButton", QStringLiteral("Slow (1-3)"), "#e8f5e8", this);
    normalButton
        = pastelPresetButton("normalButton", QStringLiteral("Normal (2-4)"), "#e8f0ff", this);
    fastButton = pastelPresetButton("fastButton", QStringLiteral("Fast (5-15)"), "#fff0e8", this);
    groupLayout->addLayout(buttonRow({ slowButton, normalButton, fastButton }));
    veryFastButton = pastelPresetButton(
        "veryFastButton", QStringLiteral("Super Fast (20-50)"), "#ffe8e8", this);
    extremeButton = presetButton("extremeButton", QStringLiteral("Extreme Fast (50-100)"),
        QStringLiteral("QPushButton { background-color: #ff8888; color: "
                       "white; font-weight: bold; }"),
        this);
    groupLayout->addLayout(buttonRow({ veryFastButton, extremeButton }));

    auto *note = named(
        new QLabel(QStringLiteral("Set the speed range for DVD screensaver-like movements.\n"
                                  "The actual speed is determined randomly within this range.\n"
                                  "You can set it up to 100 pixels per frame."),
            this),
        "noteLabel");
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: gray; font-size: 11px;"));
    groupLayout->addWidget(note);
    mainLayout->addWidget(speedGroup);

    resetButton = setButton("resetButton", QStringLiteral("Set to Default"), this);
    okButton = named(new QPushButton(QStringLiteral("OK"), this), "okButton");
    cancelButton = named(new QPushButton(QStringLiteral("Cancel"), this), "cancelButton");
    auto *actionRow = new QHBoxLayout;
    actionRow->addWidget(resetButton);
    actionRow->addStretch(0);
    actionRow->addWidget(okButton);
    actionRow->addWidget(cancelButton);
    mainLayout->addLayout(actionRow);
}

// Minimum first: any ordered pair then ends exactly as given, whatever the range was before.
void SettingsDialog::setSpeedRange(int minimum, int maximum)
{
    minSpeedSpinBox->setValue(minimum);
    maxSpeedSpinBox->setValue(maximum);
}

void SettingsDialog::onMinSpeedChanged(int value)
{
    if (value > maxSpeedSpinBox->value())
        maxSpeedSpinBox->setValue(value);
}

void SettingsDialog::onMaxSpeedChanged(int value)
{
    if (value < minSpeedSpinBox->value())
        minSpeedSpinBox->setValue(value);
}

void SettingsDialog::resetToDefaults()
{
    setSpeedRange(2, 4);
}

void SettingsDialog::setSlowPreset()
{
    setSpeedRange(1, 3);
}

void SettingsDialog::setNormalPreset()
{
    setSpeedRange(2, 4);
}

void SettingsDialog::setFastPreset()
{
    setSpeedRange(5, 15);
}

void SettingsDialog::setVeryFastPreset()
{
    setSpeedRange(20, 50);
}

void SettingsDialog::setExtremePreset()
{
    setSpeedRange(50, 100);
}
