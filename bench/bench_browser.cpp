// The image browser on a page of six 12 MP JPEGs, through the real window:
// the first show with an empty thumbnail cache, the same page shown again,
// and a new process showing it with the cache filled. For each: the time
// until the window is usable (captions and frames shown, events served) and
// until every thumbnail is in, and the longest the event loop was held up
// meanwhile. Pictures with a camera's EXIF thumbnail and pictures without
// one are measured apart.
//
//   bench_browser [--runs N]
#include "base/consoleui.h"
#include "base/settings.h"
#include "browser/browserfiles.h"
#include "browser/viewform.h"
#include "document/tavormain.h"
#include "print/pdfprinter.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <libexif/exif-data.h>
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
            const int n = int(random.bounded(24));
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
    const QByteArray thumb =
        jpeg(image.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85);
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    exif->data = static_cast<uchar*>(malloc(size_t(thumb.size())));
    memcpy(exif->data, thumb.constData(), size_t(thumb.size()));
    exif->size = unsigned(thumb.size());
    uchar* block = nullptr;
    unsigned length = 0;
    exif_data_save_data(exif, &block, &length);
    exif_data_unref(exif);
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((length + 2) >> 8);
    app1 += char((length + 2) & 0xFF);
    app1 += QByteArray(reinterpret_cast<const char*>(block), int(length));
    free(block);
    return picture.left(2) + app1 + picture.mid(2);
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
};

struct Browser {
    QTemporaryDir settingsDir;
    ConsoleUi ui;
    Settings settings{settingsDir.filePath(QStringLiteral("qvrs.ini"))};
    PdfOnlyPrinterHost host;
    TavorMain m{ui, settings, host};
    explicit Browser(const QString& folder) {
        m.setDataFolder(settingsDir.path());
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
    show();
    QApplication::processEvents(); // the first paint of the page
    t.usable = clock.nsecsElapsed() / 1e6;
    double last = t.usable;
    t.longestHold = t.usable;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        t.longestHold = std::max(t.longestHold, now - last);
        last = now;
        if (!form->thumbnailsPending())
            loop.quit();
    });
    tick.start();
    if (form->thumbnailsPending())
        loop.exec();
    t.filled = clock.nsecsElapsed() / 1e6;
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const std::vector<Timing>& runs) {
    std::vector<double> usable, filled, hold;
    for (const Timing& t : runs) {
        usable.push_back(t.usable);
        filled.push_back(t.filled);
        hold.push_back(t.longestHold);
    }
    std::printf("| %s | %.1f | %.1f | %.1f |\n", what, median(usable), median(filled),
                median(hold));
    std::fflush(stdout);
}

// One process: the first show with an empty cache (the cache emptied before
// each run), then the page shown again in the same window and in a new one.
void firstAndAgain(const QString& folder, const QString& cache, int runs) {
    std::vector<Timing> first, again, reopened;
    for (int r = 0; r < runs; ++r) {
        QDir(cache).removeRecursively();
        Browser b(folder);
        ViewForm* form = nullptr;
        first.push_back(measure(form, [&] {
            form = new ViewForm(b.m);
            form->show();
        }));
        again.push_back(measure(form, [&] { form->BMPLoad(); }));
        form->close();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        reopened.push_back(measure(form, [&] {
            form = new ViewForm(b.m);
            form->show();
        }));
        form->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    report("first show, empty cache", first);
    report("same page again, same window", again);
    report("same page, new window", reopened);
}

// A fresh process with the cache filled: its first window.
void afterRestart(const QString& folder, int runs) {
    std::vector<Timing> shown;
    for (int r = 0; r < runs; ++r) {
        Browser b(folder);
        ViewForm* form = nullptr;
        shown.push_back(measure(form, [&] {
            form = new ViewForm(b.m);
            form->show();
        }));
        form->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    report("after a restart, cache filled", shown);
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
        shown.push_back({ms, ms, ms});
    }
    report("(six decoded in line on the GUI thread)", shown);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int runs = 5;
    if (const int i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());
    if (const int i = args.indexOf("--restart"); i > 0 && i + 1 < args.size()) {
        afterRestart(args[i + 1], runs);
        return 0;
    }

    QTemporaryDir work;
    const QString cache = work.filePath("cache");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    std::printf("Making six 12 MP JPEGs, with and without an EXIF thumbnail...\n");
    std::fflush(stdout);
    makeFolders(work.path());
    for (const char* kind : {"plain", "camera"}) {
        const QString folder = work.filePath(kind);
        std::printf("\n## %s JPEGs (%s), median of %d runs\n", kind,
                    kind == QByteArray("plain") ? "no EXIF thumbnail" : "160 x 120 EXIF thumbnail",
                    runs);
        std::printf("| case | usable page (ms) | all thumbnails in (ms) | longest event-loop hold "
                    "(ms) |\n");
        std::printf("|---|---:|---:|---:|\n");
        decodedInLine(folder, runs);
        firstAndAgain(folder, cache, runs);
        QProcess restart;
        restart.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        restart.start(QCoreApplication::applicationFilePath(),
                      {"--restart", folder, "--runs", QString::number(runs)});
        restart.waitForFinished(-1);
    }
    return 0;
}
