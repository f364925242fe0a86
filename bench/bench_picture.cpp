// Loading the card picture from a camera JPEG, as after a choice in the image
// browser: 12, 24 and 50 megapixels, in the picture's own colours (mode 0)
// and in sepia (mode 1, through the colour library).
//
//   bench_picture --make-photos [DIR]   write the photos once (default DIR
//                                       /tmp/quillo-bench-photos) and exit
//   bench_picture [--photo-dir DIR] [benchmark options]
//
// The photos are made in a separate run so that a measuring run's peak memory
// (the peak_MB counter, VmHWM) is that of loading alone; run one benchmark per
// process (--benchmark_filter) to read it per case.

#include "base/appstate.h"
#include "base/consoleui.h"
#include "base/settings.h"
#include "document/carddocument.h"
#include "picture/cardpicture.h"
#include "print/pdfprinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

struct PhotoSize {
    int megapixels;
    int width;
    int height;
};
// Sensor sizes of common cameras.
constexpr PhotoSize PhotoSizes[] = {{12, 4000, 3000}, {24, 6000, 4000}, {50, 8688, 5792}};

QString photoDir = QStringLiteral("/tmp/quillo-bench-photos");

QString photoPath(const PhotoSize& s) {
    return photoDir + QStringLiteral("/photo-%1mp.jpg").arg(s.megapixels);
}

// Something the decoder works on as on a photo: soft shapes of light and
// colour, sharp edges, fine texture and sensor noise, saved at quality 90.
QImage makePhoto(int width, int height, quint32 seed) {
    QRandomGenerator rng(seed);
    QImage coarse(32, 24, QImage::Format_RGB32);
    for (int y = 0; y < coarse.height(); ++y)
        for (int x = 0; x < coarse.width(); ++x)
            coarse.setPixel(x, y,
                            qRgb(rng.bounded(40, 230), rng.bounded(40, 230), rng.bounded(40, 230)));
    QImage photo = coarse.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Detail at a middle scale, like foliage or fabric.
    QImage detail(width / 12, height / 12, QImage::Format_ARGB32);
    for (int y = 0; y < detail.height(); ++y)
        for (int x = 0; x < detail.width(); ++x)
            detail.setPixel(x, y, qRgba(rng.bounded(256), rng.bounded(256), rng.bounded(256), 70));
    {
        QPainter p(&photo);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(photo.rect(), detail);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 400; ++i) {
            const QColor c(rng.bounded(256), rng.bounded(256), rng.bounded(256),
                           rng.bounded(60, 200));
            const int w = rng.bounded(width / 40, width / 6);
            const int h = rng.bounded(height / 40, height / 6);
            const QRect r(rng.bounded(width) - w / 2, rng.bounded(height) - h / 2, w, h);
            if (i % 3 == 0) {
                p.setPen(QPen(c, rng.bounded(2, 12)));
                p.drawLine(r.topLeft(), r.bottomRight());
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(c);
                i % 3 == 1 ? p.drawEllipse(r) : p.drawRect(r);
            }
        }
    }
    // Fine texture and sensor noise: a cheap generator, a stripe pattern and
    // per-pixel noise of about ±12 levels.
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int texture = ((x * 7 + y * 3) % 23) / 4 - 3;
            const int n = int(state % 25) - 12 + texture;
            const int nc = int((state >> 8) & 7) - 4;
            const QRgb c = row[x];
            row[x] = qRgb(qBound(0, qRed(c) + n + nc, 255), qBound(0, qGreen(c) + n, 255),
                          qBound(0, qBlue(c) + n - nc, 255));
        }
    }
    return photo;
}

bool makePhotos() {
    QDir().mkpath(photoDir);
    for (const PhotoSize& s : PhotoSizes) {
        const QString path = photoPath(s);
        if (QFileInfo::exists(path))
            continue;
        std::fprintf(stderr, "writing %s\n", qPrintable(path));
        QImageWriter writer(path + QStringLiteral(".part"), "jpeg");
        writer.setQuality(90);
        if (!writer.write(makePhoto(s.width, s.height, quint32(s.megapixels))) ||
            !QFile::rename(path + QStringLiteral(".part"), path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void LoadPhoto(benchmark::State& state, PhotoSize size, int mode) {
    const double startupPeak = peakMegabytes();
    QTemporaryDir dir;
    ConsoleUi ui;
    Settings settings(dir.filePath(QStringLiteral("qvrs.ini")));
    AppState app;
    app.DataFolder = dir.path();
    CardDocument doc;
    doc.card.PicPath = photoPath(size);
    doc.card.PicColorMode = mode;
    doc.card.PicTint = {63, 0, 0};
    if (!QFileInfo::exists(doc.card.PicPath)) {
        state.SkipWithError("photo missing: run bench_picture --make-photos first");
        return;
    }
    QSize loaded;
    for (auto _ : state) {
        LoadCardPicture(doc, ui, app);
        if (ui.messageCount() != 0 || doc.pictureImage().isNull()) {
            state.SkipWithError("the picture was not loaded");
            return;
        }
        loaded = doc.pictureImage().size();
        // Each round starts without a picture, as a new card does, and with
        // the previous round's working bitmap on disk: a user loads one
        // picture, not one every few hundred milliseconds, and the file
        // system's write-back of one round would otherwise be charged to
        // the next.
        state.PauseTiming();
        doc.picture.clear();
        ::sync();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["startup_MB"] = startupPeak;
    state.SetLabel(QStringLiteral("%1x%2").arg(loaded.width()).arg(loaded.height()).toStdString());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Our own options first; the rest go to the benchmark library.
    bool make = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--make-photos") == 0) {
            make = true;
            if (i + 1 < argc && argv[i + 1][0] != '-')
                photoDir = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--photo-dir") == 0 && i + 1 < argc) {
            photoDir = QString::fromLocal8Bit(argv[++i]);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    QGuiApplication app(argc, argv);
    if (make)
        return makePhotos() ? 0 : 1;

    for (const PhotoSize& s : PhotoSizes) {
        for (int mode : {0, 1}) {
            const std::string name = "LoadCardPicture/" + std::to_string(s.megapixels) + "MP/mode" +
                                     std::to_string(mode);
            benchmark::RegisterBenchmark(name.c_str(), LoadPhoto, s, mode)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
