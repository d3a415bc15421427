#ifndef SETTINGSDIALOG_H
#define SETTINGSDIALOG_H

#include <QDialog>

QT_BEGIN_NAMESPACE
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QVBoxLayout;
QT_END_NAMESPACE

class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    // The caller loads the range through these, so that the bound rules run, and reads it back.
    QSpinBox *minimumSpinBox() const { return minSpeedSpinBox; }
    QSpinBox *maximumSpinBox() const { return maxSpeedSpinBox; }

private slots:
    void onMinSpeedChanged(int value);
    void onMaxSpeedChanged(int value);
    void resetToDefaults();
    void setSlowPreset();
    void setNormalPreset();
    void setFastPreset();
    void setVeryFastPreset();
    void setExtremePreset();

private:
    void setupUi();
    void setSpeedRange(int minimum, int maximum);

    QVBoxLayout *mainLayout;
    QGroupBox *speedGroup;
    QLabel *minSpeedLabel;
    QSlider *minSpeedSlider;
    QSpinBox *minSpeedSpinBox;
    QLabel *maxSpeedLabel;
    QSlider *maxSpeedSlider;
    QSpinBox *maxSpeedSpinBox;
    QPushButton *slowButton;
    QPushButton *normalButton;
    QPushButton *fastButton;
    QPushButton *veryFastButton;
    QPushButton *extremeButton;
    QPushButton *resetButton;
    QPushButton *okButton;
    QPushButton *cancelButton;
};

#endif // SETTINGSDIALOG_H
