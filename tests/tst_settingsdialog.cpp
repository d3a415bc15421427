#include "settingsdialog.h"
#include "testsupport.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMetaMethod>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <ctime>

namespace {

// The dialog's bound widgets by their names, and its buttons by their texts, as a user finds them.
struct DialogWidgets
{
    explicit DialogWidgets(QWidget *dialog)
        : minSlider(dialog->findChild<QSlider *>(QStringLiteral("minSpeedSlider")))
        , maxSlider(dialog->findChild<QSlider *>(QStringLiteral("maxSpeedSlider")))
        , minSpinBox(dialog->findChild<QSpinBox *>(QStringLiteral("minSpeedSpinBox")))
        , maxSpinBox(dialog->findChild<QSpinBox *>(QStringLiteral("maxSpeedSpinBox")))
    {
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            buttons.insert(button->text(), button);
    }

    QList<int> values() const
    {
        return { minSlider->value(), minSpinBox->value(), maxSlider->value(), maxSpinBox->value() };
    }

    void setBounds(int minimum, int maximum) const
    {
        minSpinBox->setValue(minimum);
        maxSpinBox->setValue(maximum);
    }

    QSlider *minSlider;
    QSlider *maxSlider;
    QSpinBox *minSpinBox;
    QSpinBox *maxSpinBox;
    QHash<QString, QPushButton *> buttons;
};

// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](qreal v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const qreal first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// Both bounds as the dialog shows them: minimum slider and spin box, then maximum.
QList<int> pair(int minimum, int maximum)
{
    return { minimum, minimum, maximum, maximum };
}

} // namespace

class TestSettingsDialog : public WindowTest
{
    Q_OBJECT

private slots:
    void frame();
    void slotOrder();
    void widgetTree();
    void texts();
    void presetStyles_data();
    void presetStyles();
    void boundWidgets();
    void sliderAndSpinBoxFollowEachOther();
    void boundRules_data();
    void boundRules();
    void dragGoesOneWayOnly();
    void presets_data();
    void presets();
    void typingDigitByDigit();
    void opensWithStoredRange_data();
    void opensWithStoredRange();
    void okStoresAndRestarts_data();
    void okStoresAndRestarts();
    void dismissingChangesNothing_data();
    void dismissingChangesNothing();
};

void TestSettingsDialog::frame()
{
    SettingsDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("DVD Speed Setting"));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.minimumSize(), QSize(520, 450));
    QCOMPARE(dialog.maximumSize(), QSize(520, 450));
    // The toolkit picks the default as the dialog is shown: it must be OK, never a preset.
    dialog.show();
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        QCOMPARE(button->isDefault(), button->text() == QStringLiteral("OK"));
}

void TestSettingsDialog::slotOrder()
{
    const QStringList expected { "onMinSpeedChanged(int)", "onMaxSpeedChanged(int)",
        "resetToDefaults()", "setSlowPreset()", "setNormalPreset()", "setFastPreset()",
        "setVeryFastPreset()", "setExtremePreset()" };
    const QMetaObject &meta = SettingsDialog::staticMetaObject;
    QCOMPARE(meta.className(), "SettingsDialog");
    QCOMPARE(meta.superClass(), &QDialog::staticMetaObject);
    QStringList own;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        QCOMPARE(meta.method(i).access(), QMetaMethod::Private);
        own.append(QString::fromLatin1(meta.method(i).methodSignature()));
    }
    QCOMPARE(own, expected);
}

void TestSettingsDialog::widgetTree()
{
    SettingsDialog dialog;
    auto *mainLayout = qobject_cast<QVBoxLayout *>(dialog.layout());
    QVERIFY(mainLayout);
    QCOMPARE(mainLayout->count(), 2);
    auto *group = qobject_cast<QGroupBox *>(mainLayout->itemAt(0)->widget());
    QVERIFY(group);
    QCOMPARE(group->parent(), &dialog);

    // Group layout: label, row, label, row, heading, row, row, note.
    QLayout *groupLayout = group->layout();
    QCOMPARE(groupLayout->count(), 8);
    QList<int> rowSizes;
    for (int i : { 1, 3, 5, 6 })
        rowSizes.append(groupLayout->itemAt(i)->layout()->count());
    QCOMPARE(rowSizes, QList<int>({ 2, 2, 3, 2 }));
    for (QLabel *label : dialog.findChildren<QLabel *>())
        QCOMPARE(label->parent(), group);
    for (QSlider *slider : dialog.findChildren<QSlider *>())
        QCOMPARE(slider->parent(), group);

    // Button row: reset, stretch, OK, Cancel.
    QLayout *actionRow = mainLayout->itemAt(1)->layout();
    QCOMPARE(actionRow->count(), 4);
    QVERIFY(actionRow->itemAt(1)->spacerItem());
    QStringList order;
    for (int i : { 0, 2, 3 })
        order.append(qobject_cast<QPushButton *>(actionRow->itemAt(i)->widget())->text());
    QCOMPARE(order, QStringList({ "Set to Default", "OK", "Cancel" }));
    QCOMPARE(actionRow->itemAt(0)->widget()->parent(), &dialog);
}

void TestSettingsDialog::texts()
{
    SettingsDialog dialog;
    auto *group = dialog.findChild<QGroupBox *>(QStringLiteral("speedGroup"));
    QCOMPARE(group->title(), QStringLiteral("DVD Movement Speed Settings"));
    QStringList labels;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        labels.append(label->text());
    QCOMPARE(labels,
        QStringList(
            { "Minimum Speed (pixels/frame):", "Maximum Speed (pixels/frame):", "Quick Settings:",
                "Set the speed range for DVD screensaver-like movements.\n"
                "The actual speed is determined randomly within this range.\n"
                "You can set it up to 100 pixels per frame." }));
    auto *note = dialog.findChild<QLabel *>(QStringLiteral("noteLabel"));
    QVERIFY(note->wordWrap());
    QCOMPARE(note->styleSheet(), QStringLiteral("color: gray; font-size: 11px;"));
    QStringList buttons;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        buttons.append(button->text());
    QCOMPARE(buttons,
        QStringList({ "Slow (1-3)", "Normal (2-4)", "Fast (5-15)", "Super Fast (20-50)",
            "Extreme Fast (50-100)", "Set to Default", "OK", "Cancel" }));
}

void TestSettingsDialog::presetStyles_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("style");
    QTest::addColumn<double>("darkSchemeContrast"); // the least, with a dark palette
    QTest::newRow("slow") << "Slow (1-3)"
                          << "QPushButton { background-color: #e8f5e8; }" << 4.5;
    QTest::newRow("normal") << "Normal (2-4)"
                            << "QPushButton { background-color: #e8f0ff; }" << 4.5;
    QTest::newRow("fast") << "Fast (5-15)"
                          << "QPushButton { background-color: #fff0e8; }" << 4.5;
    QTest::newRow("super fast") << "Super Fast (20-50)"
                                << "QPushButton { background-color: #ffe8e8; }" << 4.5;
    QTest::newRow("extreme, white on red as designed")
        << "Extreme Fast (50-100)"
        << "QPushButton { background-color: #ff8888; color: white; font-weight: bold; }" << 2.0;
    QTest::newRow("reset, unstyled") << "Set to Default"
                                     << "" << 4.5;
}

void TestSettingsDialog::presetStyles()
{
    QFETCH(QString, button);
    QFETCH(QString, style);
    QFETCH(double, darkSchemeContrast);
    SettingsDialog dialog;
    QCOMPARE(DialogWidgets(&dialog).buttons.value(button)->styleSheet(), style);

    const QPalette light = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x31, 0x36, 0x3b))); // dark buttons, white text
    SettingsDialog darkDialog;
    QPushButton *drawn = DialogWidgets(&darkDialog).buttons.value(button);
    drawn->ensurePolished(); // the style sheet's face becomes the palette's button colour
    const double ratio = contrast(
        drawn->palette().color(QPalette::ButtonText), drawn->palette().color(QPalette::Button));
    QApplication::setPalette(light);
    QVERIFY2(ratio >= darkSchemeContrast, qPrintable(QString::number(ratio)));
}

void TestSettingsDialog::boundWidgets()
{
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    QCOMPARE(w.values(), pair(2, 4));
    for (QSlider *slider : { w.minSlider, w.maxSlider }) {
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 100);
        QCOMPARE(slider->tickPosition(), QSlider::TicksBelow);
        QCOMPARE(slider->tickInterval(), 10);
    }
    for (QSpinBox *spinBox : { w.minSpinBox, w.maxSpinBox }) {
        QCOMPARE(spinBox->minimum(), 1);
        QCOMPARE(spinBox->maximum(), 100);
        QCOMPARE(spinBox->suffix(), QStringLiteral(" px"));
        QCOMPARE(spinBox->minimumWidth(), 80);
        QVERIFY(spinBox->keyboardTracking());
        QCOMPARE(spinBox->text(), QString::number(spinBox->value()) + " px");
    }
    QCOMPARE(dialog.minimumSpinBox(), w.minSpinBox);
    QCOMPARE(dialog.maximumSpinBox(), w.maxSpinBox);
    QStringList heard; // what a screen reader names each control
    for (QWidget *control : QWidgetList { w.minSlider, w.minSpinBox, w.maxSlider, w.maxSpinBox })
        heard.append(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name));
    QCOMPARE(heard,
        QStringList({ "Minimum Speed", "Minimum Speed (pixels/frame):", "Maximum Speed",
            "Maximum Speed (pixels/frame):" }));
}

void TestSettingsDialog::sliderAndSpinBoxFollowEachOther()
{
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    w.minSlider->setValue(3);
    QCOMPARE(w.minSpinBox->value(), 3);
    w.minSpinBox->setValue(1);
    QCOMPARE(w.minSlider->value(), 1);
    w.maxSlider->setValue(70);
    QCOMPARE(w.maxSpinBox->value(), 70);
    w.maxSpinBox->setValue(30);
    QCOMPARE(w.maxSlider->value(), 30);
}

void TestSettingsDialog::boundRules_data()
{
    QTest::addColumn<QList<int>>("start");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<int>>("end");
    QTest::newRow("max slider below min")
        << QList<int>({ 40, 60 }) << "maxSlider" << 20 << pair(20, 20);
    QTest::newRow("max spin box below min")
        << QList<int>({ 40, 60 }) << "maxSpinBox" << 39 << pair(39, 39);
    QTest::newRow("min slider above max")
        << QList<int>({ 2, 4 }) << "minSlider" << 60 << pair(60, 60);
    QTest::newRow("min spin box above max")
        << QList<int>({ 2, 4 }) << "minSpinBox" << 5 << pair(5, 5);
    QTest::newRow("equal bounds stand") << QList<int>({ 2, 4 }) << "minSpinBox" << 4 << pair(4, 4);
    QTest::newRow("within the range")
        << QList<int>({ 10, 50 }) << "minSlider" << 30 << pair(30, 50);
    QTest::newRow("above 100 refused")
        << QList<int>({ 10, 50 }) << "maxSpinBox" << 150 << pair(10, 100);
    QTest::newRow("below 1 refused") << QList<int>({ 10, 50 }) << "minSpinBox" << 0 << pair(1, 50);
}

void TestSettingsDialog::boundRules()
{
    QFETCH(QList<int>, start);
    QFETCH(QString, widget);
    QFETCH(int, value);
    QFETCH(QList<int>, end);
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    w.setBounds(start[0], start[1]);
    const QHash<QString, QAbstractSlider *> sliders { { "minSlider", w.minSlider },
        { "maxSlider", w.maxSlider } };
    const QHash<QString, QSpinBox *> spinBoxes { { "minSpinBox", w.minSpinBox },
        { "maxSpinBox", w.maxSpinBox } };
    if (sliders.contains(widget))
        sliders[widget]->setValue(value);
    else
        spinBoxes[widget]->setValue(value);
    QCOMPARE(w.values(), end);
}

void TestSettingsDialog::dragGoesOneWayOnly()
{
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    w.setBounds(10, 20);
    w.minSpinBox->setValue(60);
    QCOMPARE(w.values(), pair(60, 60));
    w.minSpinBox->setValue(10);
    QCOMPARE(w.values(), pair(10, 60));
}

void TestSettingsDialog::presets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<int>>("end");
    QTest::addColumn<QList<int>>("start");
    const QList<std::pair<const char *, QList<int>>> presets {
        { "Slow (1-3)", pair(1, 3) },
        { "Normal (2-4)", pair(2, 4) },
        { "Fast (5-15)", pair(5, 15) },
        { "Super Fast (20-50)", pair(20, 50) },
        { "Extreme Fast (50-100)", pair(50, 100) },
        { "Set to Default", pair(2, 4) },
    };
    const QList<QList<int>> starts { { 1, 3 }, { 50, 100 }, { 7, 7 }, { 30, 40 } };
    for (const auto &[button, end] : presets) {
        for (const QList<int> &start : starts) {
            QTest::addRow("%s from %d-%d", button, start[0], start[1])
                << QString::fromLatin1(button) << end << start;
        }
    }
}

void TestSettingsDialog::presets()
{
    QFETCH(QString, button);
    QFETCH(QList<int>, end);
    QFETCH(QList<int>, start);
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    w.setBounds(start[0], start[1]);
    QTest::mouseClick(w.buttons.value(button), Qt::LeftButton);
    QCOMPARE(w.values(), end);
}

// Keyboard tracking counts every digit: the maximum is 1 for a moment and drags the minimum.
void TestSettingsDialog::typingDigitByDigit()
{
    SettingsDialog dialog;
    const DialogWidgets w(&dialog);
    w.setBounds(10, 20);
    w.maxSpinBox->selectAll();
    QTest::keyClick(w.maxSpinBox, Qt::Key_1);
    QCOMPARE(w.values(), pair(1, 1));
    QTest::keyClick(w.maxSpinBox, Qt::Key_5);
    QCOMPARE(w.values(), pair(1, 15));
}

void TestSettingsDialog::opensWithStoredRange_data()
{
    QTest::addColumn<int>("storedMin");
    QTest::addColumn<int>("storedMax");
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("ordered") << 3 << 7 << pair(3, 7);
    QTest::newRow("unordered") << 10 << 5 << pair(5, 5);
    QTest::newRow("zero") << 0 << 4 << pair(1, 4);
    QTest::newRow("above 100") << 2 << 150 << pair(2, 100);
    QTest::newRow("both out") << -7 << 1000 << pair(1, 100);
}

void TestSettingsDialog::opensWithStoredRange()
{
    QFETCH(int, storedMin);
    QFETCH(int, storedMax);
    QFETCH(QList<int>, shown);
    settings.write({ { "dvd/minSpeed", storedMin }, { "dvd/maxSpeed", storedMax } });
    QList<int> seen;
    const QString opened
        = answerModal<SettingsDialog>([this] { probe().call("showSettingsDialog"); },
            [&](SettingsDialog *dialog) {
                QCOMPARE(dialog->parentWidget(), &window());
                seen = DialogWidgets(dialog).values();
                DialogWidgets(dialog).buttons.value("OK")->click();
            });
    QCOMPARE(opened, "DVD Speed Setting");
    QCOMPARE(seen, shown);
    QCOMPARE(probe().minSpeed(), shown[0]);
    QCOMPARE(probe().maxSpeed(), shown[2]);
    QCOMPARE(settings.value("dvd/minSpeed").toInt(), shown[0]);
    QCOMPARE(settings.value("dvd/maxSpeed").toInt(), shown[2]);
    QVERIFY(window().findChildren<SettingsDialog *>().isEmpty());
}

void TestSettingsDialog::okStoresAndRestarts_data()
{
    QTest::addColumn<bool>("dvdMode");
    QTest::newRow("DVD mode on draws a new start") << true;
    QTest::newRow("DVD mode off keeps the motion") << false;
}

void TestSettingsDialog::okStoresAndRestarts()
{
    QFETCH(bool, dvdMode);
    if (!dvdMode)
        probe().call("toggleDVDMode");
    probe().dvdX() = -5;
    probe().dvdVelocityX() = -99;
    const std::time_t before = std::time(nullptr);
    const QString opened = answerModal([this] { probe().call("showSettingsDialog"); },
        [](QWidget *dialog) {
            const DialogWidgets w(dialog);
            w.setBounds(7, 7);
            w.buttons.value("OK")->click();
        });
    QCOMPARE(opened, "DVD Speed Setting");
    QCOMPARE(probe().minSpeed(), 7);
    QCOMPARE(probe().maxSpeed(), 7);
    QCOMPARE(settings.keys().size(), 6);
    QCOMPARE(settings.value("dvd/minSpeed").toInt(), 7);
    QCOMPARE(settings.value("dvd/maxSpeed").toInt(), 7);
    if (!dvdMode) {
        QCOMPARE(probe().dvdX(), -5.0);
        QCOMPARE(probe().dvdVelocityX(), -99.0);
        QVERIFY(!probe().moveTimer()->isActive());
        return;
    }
    QVERIFY(probe().dvdX() >= 1 && probe().dvdX() <= 1640);
    // The extremes of the variation, worked out as the draw works them out: 1.1 * 7 is not 7.7.
    QVERIFY(probe().dvdVelocityX() >= 0.9 * 7 && probe().dvdVelocityX() <= 1.1 * 7);
    if (std::time(nullptr) == before) {
        const QList<int> draws = randomDraws(static_cast<unsigned>(before), 1);
        QCOMPARE(probe().dvdX(), double(draws[0] % 1640 + 1));
    }
}

void TestSettingsDialog::dismissingChangesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("window closed") << 2;
}

void TestSettingsDialog::dismissingChangesNothing()
{
    QFETCH(int, how);
    settings.write({ { "dvd/minSpeed", 3 }, { "dvd/maxSpeed", 8 } });
    const QByteArray before = [&] {
        QFile file(settings.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    probe().moveTimer()->stop(); // a step while the dialog is open would move the start too
    probe().dvdX() = -5;
    const QString opened = answerModal([this] { probe().call("showSettingsDialog"); },
        [how](QWidget *dialog) {
            const DialogWidgets w(dialog);
            w.buttons.value("Extreme Fast (50-100)")->click();
            if (how == 0)
                w.buttons.value("Cancel")->click();
            else if (how == 1)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
        });
    QCOMPARE(opened, "DVD Speed Setting");
    QCOMPARE(probe().minSpeed(), 3);
    QCOMPARE(probe().maxSpeed(), 8);
    QCOMPARE(probe().dvdX(), -5.0);
    QFile file(settings.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
