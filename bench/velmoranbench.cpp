// Measures Velmoran against bare Qt programs of the same kind on the current X display, in
// interleaved rounds, and prints medians and ratios. Run it through bench/run.sh.
#include "slowgif.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <xcb/xcb.h>

#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int settleMs = 2000;
constexpr int steadyMs = 10000;
constexpr QSize windowSize(280, 150);

struct Measurement
{
    double startupMs = 0;
    double cpuShare = 0; // of one core, over the steady span
    double rssKb = 0;
    double hwmKb = 0;
    double positionsPerSecond = 0;
    bool onScreen = true;
    double driftSeconds = 0; // how far the shown counter fell behind the wall clock
};

// The X side: notices when a program's window is mapped and where it moves, and reads its pixels.
class Display
{
public:
    Display()
        : connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection))
            qFatal("velmoranbench: cannot open the X display");
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        root = screen->root;
        screenSize = QSize(screen->width_in_pixels, screen->height_in_pixels);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
    ~Display() { xcb_disconnect(connection); }

    QSize screen() const { return screenSize; }

    // The next top-level (frame) window to be mapped, or 0 on time-out.
    xcb_window_t waitForMap(const QElapsedTimer &clock, qint64 untilMs)
    {
        xcb_window_t mapped = 0;
        pump(clock, untilMs, [&mapped](xcb_generic_event_t *event) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && !mapped)
                mapped = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
            return mapped != 0;
        });
        return mapped;
    }

    // Records the window's placements until the time given.
    void follow(
        xcb_window_t frame, const QElapsedTimer &clock, qint64 untilMs, QList<QPoint> &placements)
    {
        pump(clock, untilMs, [&](xcb_generic_event_t *event) {
            if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
                auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(event);
                if (configure->window == frame)
                    placements.append(QPoint(configure->x, configure->y));
            }
            return false;
        });
    }

    // The upper part of the frame, which stays on screen wherever the bounce puts it.
    QImage grab(xcb_window_t frame)
    {
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
            xcb_get_image_reply(connection,
                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, frame, 0, 0,
                    windowSize.width(), windowSize.height(), ~0u),
                nullptr),
            &std::free);
        if (!reply)
            return QImage();
        return QImage(xcb_get_image_data(reply.get()), windowSize.width(), windowSize.height(),
            QImage::Format_RGB32)
            .copy();
    }

private:
    template<typename Handler> void pump(const QElapsedTimer &clock, qint64 untilMs, Handler handle)
    {
        const int fd = xcb_get_file_descriptor(connection);
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                const bool done = handle(event);
                std::free(event);
                if (done)
                    return;
            }
            const qint64 left = untilMs - clock.elapsed();
            if (left <= 0)
                return;
            pollfd wait { fd, POLLIN, 0 };
            poll(&wait, 1, int(std::min<qint64>(left, 100)));
        }
    }

    xcb_connection_t *connection;
    xcb_window_t root = 0;
    QSize screenSize;
};

qint64 cpuNanoseconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/schedstat").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toLongLong() : 0;
}

double statusKb(qint64 pid, const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// The counter that a captured window shows, in seconds, read by OCR; -1 when unreadable.
int shownSeconds(const QImage &image, const QTemporaryDir &scratch)
{
    const QString path = scratch.filePath(QStringLiteral("counter.png"));
    image.scaled(image.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(path);
    QProcess ocr;
    ocr.start(QStringLiteral("tesseract"), { path, QStringLiteral("stdout") });
    if (!ocr.waitForFinished(10000)) {
        ocr.kill();
        ocr.waitForFinished();
        return -1;
    }
    const auto match = QRegularExpression(QStringLiteral("(\\d+):(\\d\\d):(\\d\\d)"))
                           .match(QString::fromUtf8(ocr.readAllStandardOutput()));
    if (!match.hasMatch())
        return -1;
    return match.captured(1).toInt() * 3600 + match.captured(2).toInt() * 60
        + match.captured(3).toInt();
}

struct Tick
{
    qint64 atMs = -1;
    QImage image;
};

// Waits for the window's content to change: a tick of its clock. The motion leaves the content
// as it is, so a change is a new counter.
Tick waitForTick(Display &display, xcb_window_t frame, const QElapsedTimer &clock, qint64 untilMs)
{
    QImage before = display.grab(frame);
    QList<QPoint> ignored;
    while (clock.elapsed() < untilMs) {
        const QImage now = display.grab(frame);
        if (before.isNull())
            before = now;
        else if (!now.isNull() && now != before)
            return { clock.elapsed(), now };
        display.follow(frame, clock, clock.elapsed() + 2, ignored);
    }
    return {};
}

// What the text comparison stores before a start: the text and the comment.
struct Texts
{
    const char *name;
    QString text;
    QString comment;
};

void store(const QTemporaryDir &home, const Texts &texts)
{
    QSettings settings(
        home.filePath(QStringLiteral(".config/Velmoran/Brisquel.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("ui/customText"), texts.text);
    settings.setValue(QStringLiteral("ui/comment"), texts.comment);
}

Measurement measure(Display &display, const QString &program, int driftSeconds, bool steady,
    const Texts *texts = nullptr)
{
    QTemporaryDir home;
    if (texts)
        store(home, *texts);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    Measurement m;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    const xcb_window_t frame = display.waitForMap(clock, 15000);
    m.startupMs = clock.nsecsElapsed() / 1e6;
    if (!frame)
        qFatal("velmoranbench: %s mapped no window", qPrintable(program));
    const qint64 pid = process.processId();

    QList<QPoint> placements;
    display.follow(frame, clock, settleMs, placements);
    Tick first;
    if (steady && driftSeconds > 0)
        first = waitForTick(display, frame, clock, clock.elapsed() + 1500);

    if (steady) {
        const qint64 cpuBefore = cpuNanoseconds(pid);
        const qint64 spanStart = clock.elapsed();
        const qsizetype placementsBefore = placements.size();
        display.follow(frame, clock, spanStart + steadyMs, placements);
        const double span = (clock.elapsed() - spanStart) / 1000.0;
        m.cpuShare = (cpuNanoseconds(pid) - cpuBefore) / 1e9 / span;
        const QSet<QPoint> distinct(placements.cbegin() + placementsBefore, placements.cend());
        m.positionsPerSecond = distinct.size() / span;
    }
    m.rssKb = statusKb(pid, "VmRSS");
    m.hwmKb = statusKb(pid, "VmHWM");

    const QRect allowed(QPoint(0, 0), display.screen() - windowSize + QSize(1, 1));
    m.onScreen = std::all_of(placements.cbegin(), placements.cend(),
        [&allowed](const QPoint &p) { return allowed.contains(p); });

    if (first.atMs >= 0) {
        display.follow(frame, clock, first.atMs + driftSeconds * 1000 - 400, placements);
        const Tick last = waitForTick(display, frame, clock, clock.elapsed() + 1500);
        QTemporaryDir scratch;
        const int shownFirst = shownSeconds(first.image, scratch);
        const int shownLast = shownSeconds(last.image, scratch);
        if (last.atMs < 0 || shownFirst < 0 || shownLast < 0)
            qFatal("velmoranbench: could not read the counter of %s", qPrintable(program));
        m.driftSeconds = (last.atMs - first.atMs) / 1000.0 - (shownLast - shownFirst);
    }

    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return m;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template<typename Field> QList<double> column(const QList<Measurement> &runs, Field field)
{
    QList<double> values;
    for (const Measurement &m : runs)
        values.append(field(m));
    return values;
}

QString repeated(const char *part, int times)
{
    return QString::fromUtf8(part).repeated(times);
}

// Start-up and steady CPU of Velmoran with hostile, heavy and ordinary texts, each against the
// default text in the same rounds.
int compareTexts(Display &display, int rounds)
{
    // Noise compresses badly, as photographs do. Two icons of the largest size allowed.
    const QTemporaryDir scratch;
    QImage noise(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, std::rand());
    }
    QString images;
    for (int i = 0; i < 2; ++i) {
        const QString path = scratch.filePath(QStringLiteral("%1.png").arg(i));
        noise.save(path);
        images += QStringLiteral("<img src=\"%1\">").arg(path);
    }
    // Image files that once kept a core busy at every render or hung the window at its start.
    const auto fixture = [&scratch](const char *name, const QByteArray &content) {
        QFile file(scratch.filePath(QString::fromUtf8(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("velmoranbench: cannot write %s", name);
        return QStringLiteral("<img src=\"%1\">").arg(file.fileName());
    };
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(Qt::darkCyan);
    const QString iconPath = scratch.filePath(QStringLiteral("icon.png"));
    icon.save(iconPath);
    QByteArray curves
        = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'><path d='M0,0";
    for (int i = 0; i < 55000; ++i)
        curves += QByteArray(" C%1,2 3,%1 %1,9").replace("%1", QByteArray::number(i % 64));
    const QByteArray pipe = QFile::encodeName(scratch.filePath(QStringLiteral("pipe")));
    if (::mkfifo(pipe.constData(), 0600) != 0)
        qFatal("velmoranbench: cannot make a named pipe");
    const QString sixScripts = QString::fromUtf8("a\u0628\u0915\u4e2d\u0e01\u05d0");
    const QList<Texts> cases {
        { "default text", QStringLiteral("Nothing to do"), QStringLiteral("...") },
        { "ordinary markup",
            QStringLiteral("<b>Writing</b> <i>the</i> <font color=#a00>report</font>"),
            QStringLiteral("<span style='font-size: 20px'>back</span> at <u>three</u><br>"
                           "<table border=1><tr><td>a<td>b</table><ul><li>one<li>two</ul>") },
        { "tables nested 25 deep", repeated("<table><tr><td>", 25) + "x", QStringLiteral("...") },
        { "tables nested 15 deep", repeated("<table><tr><td>", 15) + "x", QStringLiteral("...") },
        { "tables nested 10 deep", repeated("<table><tr><td>", 10) + "x", QStringLiteral("...") },
        { "one row of 5,000 cells", "<table><tr>" + repeated("<td>x", 5000) + "</table>",
            QStringLiteral("...") },
        { "2,000 one-cell rows", "<table>" + repeated("<tr><td>x", 2000) + "</table>",
            QStringLiteral("...") },
        { "a cell 20,000 columns wide", QStringLiteral("<table><tr><td colspan=20000>x</table>"),
            QStringLiteral("...") },
        { "5,000 list items", "<ol>" + repeated("<li>x", 5000) + "</ol>", QStringLiteral("...") },
        { "3,000 missing images", repeated("<img src=missing.png>", 3000), QStringLiteral("...") },
        { "heaviest allowed in both lines: tables 2 deep, 16 lines",
            "<table><tr><td><table><tr>" + repeated("<td>x", 12) + "</table>",
            "<table><tr><td><table><tr>" + repeated("<td>x", 12) + "</table>" },
        { "spans of 8 columns in both lines, tables 2 deep",
            "<table><tr><td><table>" + repeated("<tr><td colspan=8>x", 6) + "</table>",
            "<table><tr><td><table>" + repeated("<tr><td colspan=8>x", 6) + "</table>" },
        { "2 images of 256x256 in both lines", images, images },
        { "a cut that backs off 16 times", "<b " + repeated("<", 2000), QStringLiteral("...") },
        { "512 characters of six scripts in both lines", sixScripts.repeated(86).left(512),
            sixScripts.repeated(86).left(512) },
        { "6 characters of six scripts", sixScripts, QStringLiteral("...") },
        { "a 32x32 PNG icon", QStringLiteral("<img src=\"%1\"> Lunch").arg(iconPath),
            QStringLiteral("...") },
        { "a drawing of 55,000 curves", fixture("curves.svg", curves + "'/></svg>") + " Lunch",
            QStringLiteral("...") },
        { "a GIF that takes seconds to decode, stopped by the budget",
            fixture("slow.gif", slowGif()) + " Lunch", QStringLiteral("...") },
        { "four such GIFs",
            fixture("slow1.gif", slowGif()) + fixture("slow2.gif", slowGif())
                + fixture("slow3.gif", slowGif()) + fixture("slow4.gif", slowGif()) + " Lunch",
            QStringLiteral("...") },
        { "data that the GIF reader takes for a 1273x25986 image",
            fixture("gif.img",
                QByteArray::fromHex("474900381021f90400000000002c003c726563741000008366b23b"))
                + " Lunch",
            QStringLiteral("...") },
        { "a drawing that names a pipe",
            fixture("piped.svg",
                "<svg xmlns='http://www.w3.org/2000/svg' xmlns:x='http://www.w3.org/1999/xlink'>"
                "<image x:href='"
                    + pipe + "' width='9' height='9'/></svg>")
                + " Lunch",
            QStringLiteral("...") },
    };
    QList<QList<Measurement>> runs(cases.size());
    QTextStream err(stderr);
    for (int round = 1; round <= rounds; ++round) {
        err << "round " << round << " of " << rounds << Qt::endl;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const Measurement m
                = measure(display, QStringLiteral(VELMORAN_BINARY), 0, true, &cases[i]);
            err << "  " << cases[i].name << ": start-up " << m.startupMs << " ms, CPU "
                << m.cpuShare * 100 << " %" << Qt::endl;
            runs[i].append(m);
        }
    }

    QTextStream out(stdout);
    out << "| text (median of " << rounds
        << ") | start-up (ms) | ratio | CPU, share of one core (%) | ratio |\n"
        << "|---|---|---|---|---|\n";
    const auto startup = [](const Measurement &m) {
        return m.startupMs;
    };
    const auto cpu = [](const Measurement &m) {
        return m.cpuShare * 100;
    };
    const double baseStartup = median(column(runs[0], startup));
    const double baseCpu = median(column(runs[0], cpu));
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const double s = median(column(runs[i], startup));
        const double c = median(column(runs[i], cpu));
        out << "| " << cases[i].name << " | " << QString::number(s, 'f', 1) << " | "
            << QString::number(s / baseStartup, 'f', 2) << " | " << QString::number(c, 'f', 2)
            << " | " << QString::number(c / baseCpu, 'f', 2) << " |\n";
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmoran against bare Qt programs"));
    parser.addHelpOption();
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds (5)."),
        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption driftOption(QStringLiteral("drift"),
        QStringLiteral("Seconds over which to measure the "
                       "counter's drift, 0 to skip (60)."),
        QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption textsOption(QStringLiteral("texts"),
        QStringLiteral("Compare stored texts with the default text instead."));
    parser.addOptions({ roundsOption, driftOption, textsOption });
    parser.process(app);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    const int drift = std::max(0, parser.value(driftOption).toInt());

    Display display;
    if (parser.isSet(textsOption))
        return compareTexts(display, rounds);
    QList<Measurement> velmoran, bounce, label;
    QTextStream err(stderr);
    const auto note = [&err](const char *name, const Measurement &m) {
        err << "  " << name << ": start-up " << m.startupMs << " ms, CPU " << m.cpuShare * 100
            << " %, RSS " << m.rssKb << " kB, " << m.positionsPerSecond << " positions/s, drift "
            << m.driftSeconds << " s" << Qt::endl;
        return m;
    };
    for (int round = 1; round <= rounds; ++round) {
        err << "round " << round << " of " << rounds << Qt::endl;
        velmoran.append(
            note("Velmoran", measure(display, QStringLiteral(VELMORAN_BINARY), drift, true)));
        bounce.append(
            note("bare bounce", measure(display, QStringLiteral(BARE_BOUNCE_BINARY), drift, true)));
        label.append(
            note("bare label", measure(display, QStringLiteral(BARE_LABEL_BINARY), 0, false)));
    }

    QTextStream out(stdout);
    out << "| measure (median of " << rounds
        << ") | Velmoran | bare bounce | ratio | bare label |\n"
        << "|---|---|---|---|---|\n";
    struct Row
    {
        const char *name;
        std::function<double(const Measurement &)> field;
        int decimals;
        bool ratio; // a ratio against the bare bounce
        bool label; // measured on the bare label too
    };
    QList<Row> rows {
        { "start-up until mapped (ms)", [](const Measurement &m) { return m.startupMs; }, 1, true,
            true },
        { "CPU, share of one core (%)", [](const Measurement &m) { return m.cpuShare * 100; }, 2,
            true, false },
        { "VmRSS (MiB)", [](const Measurement &m) { return m.rssKb / 1024; }, 1, true, true },
        { "VmHWM (MiB)", [](const Measurement &m) { return m.hwmKb / 1024; }, 1, true, true },
        { "positions per second (nominal 62.5)",
            [](const Measurement &m) { return m.positionsPerSecond; }, 1, true, false },
    };
    if (drift > 0)
        rows.append({ "counter drift over the span (s)",
            [](const Measurement &m) { return m.driftSeconds; }, 3, false, false });
    const QString none = QStringLiteral("–");
    for (const Row &row : rows) {
        const double v = median(column(velmoran, row.field));
        const double b = median(column(bounce, row.field));
        const double l = median(column(label, row.field));
        out << "| " << row.name << " | " << QString::number(v, 'f', row.decimals) << " | "
            << QString::number(b, 'f', row.decimals) << " | "
            << (row.ratio && b != 0 ? QString::number(v / b, 'f', 2) : none) << " | "
            << (row.label ? QString::number(l, 'f', row.decimals) : none) << " |\n";
    }
    const auto allOnScreen = [](const QList<Measurement> &runs) {
        return std::all_of(
            runs.cbegin(), runs.cend(), [](const Measurement &m) { return m.onScreen; });
    };
    out << "\nstayed on screen: Velmoran " << (allOnScreen(velmoran) ? "yes" : "NO")
        << ", bare bounce " << (allOnScreen(bounce) ? "yes" : "NO") << "\n";
    return 0;
}
