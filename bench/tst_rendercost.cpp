// The wall time of one render as the screen shows it, laid out and painted, in the window and in
// full screen, for the default text and for the heaviest texts that the sign still shows as
// markup, each beside a bare label that is given the same rich text. The toolkit draws glyphs
// above 64 pixels from their outlines at every paint.
#include "testsupport.h"

class BenchRenderCost : public QObject
{
    Q_OBJECT

private slots:
    void render_data();
    void render();

private:
    ScratchSettings settings;
};

void BenchRenderCost::render_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("bare");
    const QString at = QStringLiteral("@");
    const QString lines = (at.repeated(28) + QStringLiteral("<br>")).repeated(14) + at.repeated(28);
    const QString sixScripts = QString::fromUtf8("a\u0628\u0915\u4e2d\u0e01\u05d0");
    const struct
    {
        const char *name;
        QString text;
        QString comment;
    } texts[] = {
        { "default text", QStringLiteral("Nothing to do"), QStringLiteral("...") },
        { "15 lines of 28 @", lines, QStringLiteral("...") },
        { "a stray cell and 44 @", QStringLiteral("Busy"), "<td>" + at.repeated(44) },
        { "6 lines of <font size=7>", "<font size=7>" + QStringLiteral("Away<br>").repeated(5),
            QStringLiteral("...") },
        { "512 characters of six scripts in both lines", sixScripts.repeated(86).left(512),
            sixScripts.repeated(86).left(512) },
    };
    for (const auto &row : texts) {
        for (const bool fullScreen : { false, true }) {
            for (const bool bare : { false, true }) {
                QTest::addRow("%s, %s, %s", row.name, fullScreen ? "full screen" : "window",
                    bare ? "bare label" : "Velmoran")
                    << row.text << row.comment << fullScreen << bare;
            }
        }
    }
}

void BenchRenderCost::render()
{
    QFETCH(QString, text);
    QFETCH(QString, comment);
    QFETCH(bool, fullScreen);
    QFETCH(bool, bare);
    MainWindow window;
    MainWindowProbe probe(window);
    probe.clockTimer()->stop();
    probe.moveTimer()->stop();
    probe.customText() = text;
    probe.comment() = comment;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (fullScreen) {
        probe.call("toggleFullscreen");
        QTRY_COMPARE(window.size(), QGuiApplication::primaryScreen()->size());
    }
    probe.updateTimeDisplay(); // at the size of the mode
    QLabel *label = probe.timeLabel();
    // The bare label alternates between two times, as a text that changes every second.
    const QString shown = label->text();
    const QString next = QString(shown).replace(QStringLiteral(" at 00:00:01"), " at 00:00:02");
    QCOMPARE_NE(next, shown);
    int n = 0;
    if (bare) {
        QBENCHMARK
        {
            label->setText(++n % 2 ? next : shown);
            label->repaint();
        }
    } else {
        QBENCHMARK
        {
            probe.updateTimeDisplay();
            label->repaint();
        }
    }
}

QTEST_MAIN(BenchRenderCost)
#include "tst_rendercost.moc"
