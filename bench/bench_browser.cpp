// The image browser on a page of six 12 MP JPEGs, through the real window:
// the first show with an empty thumbnail cache, the same page shown again,
// and a new process showing it with the cache filled. For each: the time
// until the window is usable (captions and frames shown, events served) and
// until every thumbnail is in, and the longest the event loop was held up
// meanwhile. Pictures with a camera's EXIF thumbnail and pictures without
// one are measured apart.
//
//   bench_browser [--runs N] [--dir DIR]
#include "base/appstate.h"
#include "base/consoleui.h"
#include "base/settings.h"
#include "base/startup.h"
#include "browser/browserfiles.h"
#include "browser/viewform.h"
#include "document/carddocument.h"
#include "exifjpeg.h"
#include "print/pdfprinter.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// A photo-like 4000 × 3000 picture: gradients and noise, so that it
// compresses like a photo (a few MB).
QImage photo(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(12));
            line[x] =
                qRgb((x / 16 + n + seed * 40) & 255, (y / 12 + n) & 255, ((x + y) / 28 + n) & 255);
        }
    }
    return image;
}

QByteArray jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg", quality);
    return bytes;
}

// The JPEG with an EXIF block holding a 160 × 120 thumbnail, as cameras write.
QByteArray withExifThumbnail(const QByteArray& picture, const QImage& image) {
    return WithExifBlock(
        picture, jpeg(image.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85),
        0);
}

void makeFolders(const QString& root) {
    QDir().mkpath(root + "/plain");
    QDir().mkpath(root + "/camera");
    for (int i = 1; i <= 6; ++i) {
        const QImage image = photo(i);
        const QByteArray bytes = jpeg(image, 90);
        const QString name = QStringLiteral("/photo_%1.jpg").arg(i);
        QFile plain(root + "/plain" + name);
        plain.open(QIODevice::WriteOnly);
        plain.write(bytes);
        QFile camera(root + "/camera" + name);
        camera.open(QIODevice::WriteOnly);
        camera.write(withExifThumbnail(bytes, image));
    }
}

struct Timing {
    double usable = 0;      // ms until the page is up and events are served
    double filled = 0;      // ms until every thumbnail is in
    double longestHold = 0; // ms, the longest the event loop waited meanwhile
    double cpu = 0;         // ms of the GUI thread's processor time until usable
    double usableAt = 0;    // the monotonic clock (ms) when usable
    double filledAt = 0;    // the monotonic clock (ms) when every thumbnail was in
};

double monotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Browser {
    QTemporaryDir settingsDir;
    ConsoleUi ui;
    Settings settings{settingsDir.filePath(QStringLiteral("qvrs.ini"))};
    PdfOnlyPrinterHost host;
    AppState app;
    CardDocument doc;
    explicit Browser(const QString& folder) {
        app.DataFolder = settingsDir.path();
        settings.setText(QStringLiteral("sti"), QStringLiteral("BDir"), folder);
        settings.setText(QStringLiteral("sti"), QStringLiteral("KKCS"), QStringLiteral("2"));
    }
};

// Runs show (which puts a page up), then serves events until the thumbnails
// are in, timing the event loop with a timer that fires as often as it can.
template <typename Show> Timing measure(ViewForm*& form, Show show) {
    Timing t;
    QElapsedTimer clock;
    clock.start();
    const double cpu = threadCpuMs();
    show();
    QApplication::processEvents(); // the first paint of the page
    t.usable = clock.nsecsElapsed() / 1e6;
    t.usableAt = monotonicMs();
    t.cpu = threadCpuMs() - cpu;
    double last = t.usable;
    t.longestHold = t.usable;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        t.longestHold = std::max(t.longestHold, now - last);
        last = now;
        if (form->pageFilled() && t.filled == 0)
            t.filled = now;
        if (!form->thumbnailsPending())
            loop.quit();
    });
    tick.start();
    if (form->pageFilled())
        t.filled = t.usable;
    if (form->thumbnailsPending())
        loop.exec();
    t.filledAt = t.usableAt + (t.filled - t.usable);
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const std::vector<Timing>& runs) {
    std::vector<double> usable, filled, hold, cpu;
    for (const Timing& t : runs) {
        usable.push_back(t.usable);
        filled.push_back(t.filled);
        hold.push_back(t.longestHold);
        cpu.push_back(t.cpu);
    }
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", what, median(usable), median(cpu),
                median(filled), median(hold));
    std::fflush(stdout);
}

void print(const Timing& t) {
    std::printf("%.3f %.3f %.3f %.3f %.3f %.3f\n", t.usable, t.filled, t.longestHold, t.cpu,
                t.usableAt, t.filledAt);
}

// One run in a process of its own: the first window on the page, the page
// shown again in it, the page in a new window. Prints three timings.
void session(const QString& folder) {
    Browser b(folder);
    // The settings store writes the folder and pattern set above when
    // events next run (with a flush to the disk): long done before a user
    // opens the browser, and not the browser's time.
    QApplication::processEvents();
    ViewForm* form = nullptr;
    print(measure(form, [&] {
        form = new ViewForm(b.doc, b.ui, b.settings, b.app);
        form->show();
    }));
    print(measure(form, [&] { form->BMPLoad(); }));
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    print(measure(form, [&] {
        form = new ViewForm(b.doc, b.ui, b.settings, b.app);
        form->show();
    }));
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs this program with args and reads the timings it prints; their clock
// readings become ms since the process was launched.
std::vector<Timing> child(const QStringList& args) {
    QProcess p;
    const double launched = monotonicMs();
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    std::vector<Timing> timings;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 6)
            timings.push_back({f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble(),
                               f[4].toDouble() - launched, f[5].toDouble() - launched});
    }
    return timings;
}

// Each run a new process: with the cache emptied, the first show, the page
// again and in a new window; then a new process with the cache filled.
void firstAndAgain(const QString& folder, const QString& cache, int runs) {
    std::vector<Timing> first, again, reopened, restarted;
    for (int r = 0; r < runs; ++r) {
        QDir(cache).removeRecursively();
        const std::vector<Timing> t = child({"--one-run", folder});
        const std::vector<Timing> u = child({"--one-run", folder});
        if (t.size() != 3 || u.size() != 3) {
            std::fprintf(stderr, "a run failed\n");
            return;
        }
        first.push_back(t[0]);
        again.push_back(t[1]);
        reopened.push_back(t[2]);
        restarted.push_back(u[0]);
    }
    report("first show, empty cache", first);
    report("same page again, same window", again);
    report("same page, new window", reopened);
    report("after a restart, cache filled", restarted);
    // The same, counted from launching the program: its start and the main
    // window's stand-in, then the browser.
    std::vector<double> usable, filled;
    for (const Timing& t : restarted) {
        usable.push_back(t.usableAt);
        filled.push_back(t.filledAt);
    }
    std::printf("| after a restart, from the program's launch | %.1f | - | %.1f | - |\n",
                median(usable), median(filled));
    std::fflush(stdout);
}

// The six thumbnails decoded one after the other on this thread, as the
// window once did before showing the page.
void decodedInLine(const QString& folder, int runs) {
    std::vector<Timing> shown;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= 6; ++i)
            ReadThumbnail(folder + QStringLiteral("/photo_%1.jpg").arg(i), ViewForm::SmallestBox);
        const double ms = clock.nsecsElapsed() / 1e6;
        shown.push_back({ms, ms, ms, ms});
    }
    report("(six decoded in line on the GUI thread)", shown);
}

// What the program has done before a user opens the browser: started as the
// program starts (its picture readers loaded in the background) and shown a
// window with text, a tree and buttons.
void warmUp() {
    LoadPictureReadersInBackground();
    LoadFileOrderInBackground();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("名刺 1 : a.jpg")));
    layout->addWidget(new QTreeWidget);
    layout->addWidget(new QPushButton(QStringLiteral("読込")));
    layout->addWidget(new QComboBox);
    window.show();
    QApplication::processEvents();
    // The main window is up for a moment before the browser is opened.
    QThreadPool::globalInstance()->waitForDone();
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int runs = 5;
    if (const int i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());
    if (const int i = args.indexOf("--one-run"); i > 0 && i + 1 < args.size()) {
        warmUp();
        session(args[i + 1]);
        return 0;
    }

    // The program's main window is up before the browser opens: fonts and
    // styles are loaded by then.
    warmUp();

    // --dir keeps the pictures for the next run.
    QTemporaryDir temporary;
    const int dirArg = args.indexOf("--dir");
    const QDir work(dirArg > 0 && dirArg + 1 < args.size() ? args[dirArg + 1] : temporary.path());
    const QString cache = work.filePath("cache");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    if (!QFileInfo::exists(work.filePath("camera/photo_6.jpg"))) {
        std::printf("Making six 12 MP JPEGs, with and without an EXIF thumbnail...\n");
        std::fflush(stdout);
        makeFolders(work.path());
    }
    std::printf("Picture files: %.1f MB each\n",
                QFileInfo(work.filePath("plain/photo_1.jpg")).size() / 1e6);
    for (const char* kind : {"plain", "camera"}) {
        const QString folder = work.filePath(kind);
        std::printf("\n## %s JPEGs (%s), median of %d runs\n", kind,
                    kind == QByteArray("plain") ? "no EXIF thumbnail" : "160 x 120 EXIF thumbnail",
                    runs);
        std::printf("| case | usable page (ms) | GUI thread busy until then (ms) | all "
                    "thumbnails in (ms) | longest event-loop hold (ms) |\n");
        std::printf("|---|---:|---:|---:|---:|\n");
        decodedInLine(folder, runs);
        firstAndAgain(folder, cache, runs);
    }
    return 0;
}
