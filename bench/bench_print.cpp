// Sheet printing from the command line, as a user runs it: a 10-up A4 sheet
// of 91 × 55 mm cards with a 12-megapixel photo behind twelve lines of 3D
// text, printed to the PDF printer by `quillo print` for 1, 100 and 1000
// sheets of each print kind. Reports wall time, peak memory and file size.
//
//   bench_print [--quillo PATH] [--dir DIR] [--sheets N,N,...] [--kinds K,K,...]
//   bench_print --time OUT.pdf -- COMMAND [ARGS...]   one row for any program
//
// The photo (a photo-like JPEG) and the card are made in DIR (default
// /tmp/quillo-bench) once and reused.

#include "app/newcard.h"
#include "document/card.h"
#include "document/cardformat.h"
#include "document/cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// 4000 × 3000: smooth light and colour like a landscape, with fine grain so
// that it compresses like a real photo rather than like a gradient.
bool makePhoto(const QString& path) {
    QImage photo(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(2024);
    for (int y = 0; y < photo.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        const double sky = double(y) / photo.height();
        for (int x = 0; x < photo.width(); ++x) {
            const double across = double(x) / photo.width();
            const int grain = int(random.bounded(24)) - 12;
            const int r = int(90 + 120 * sky + 30 * across) + grain;
            const int g = int(140 + 60 * sky * across + 40 * (1 - across)) + grain;
            const int b = int(220 - 150 * sky) + grain;
            row[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    QPainter p(&photo);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 60; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv(int(random.bounded(360)), 120, 200, 90));
        p.drawEllipse(QPointF(random.bounded(4000), random.bounded(3000)), 80 + random.bounded(400),
                      60 + random.bounded(300));
    }
    p.end();
    return photo.save(path, "JPEG", 90);
}

bool makeCard(const QString& path, const QString& photo) {
    static const char16_t* const texts[LineCount] = {u"山田　太郎",
                                                     u"株式会社クイロ印刷",
                                                     u"営業部　第一課",
                                                     u"課長",
                                                     u"東京都千代田区丸の内1-1-1",
                                                     u"TEL 03-1234-5678",
                                                     u"FAX 03-1234-5679",
                                                     u"携帯 090-1234-5678",
                                                     u"ポケベル 020-123-4567",
                                                     u"taro@example.co.jp",
                                                     u"名刺の印刷はクイロ",
                                                     u"https://example.co.jp/"};
    Card card;
    ResetLines(card, QStringLiteral("IPAGothic"));
    card.PicPath = photo;
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = card.TextItems[i];
        t.Text = QString::fromUtf16(texts[i]);
        t.KageOn = true;
        t.KageColor = 0x808080;
        t.KageTakasa = 0.3;
        t.KageHoukou = 3;
    }
    card.TextItems[10].Left = 3;
    card.TextItems[10].Top = 30;
    card.TextItems[11].Left = 3;
    card.TextItems[11].Top = 34;
    const auto bytes = Cp932::encode(WriteCard22(card));
    QFile file(path);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size();
}

struct Run {
    int status = -1;
    double seconds = 0;
    long peakKb = 0;
};

// Runs the program and waits for it; its own peak resident size.
Run run(const QString& program, const QStringList& args) {
    QList<QByteArray> bytes{program.toLocal8Bit()};
    for (const QString& a : args)
        bytes.append(a.toLocal8Bit());
    QList<char*> argv;
    for (QByteArray& b : bytes)
        argv.append(b.data());
    argv.append(nullptr);

    Run result;
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.seconds = clock.nsecsElapsed() / 1e9;
        result.peakKb = usage.ru_maxrss;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

QString option(const QStringList& args, const QString& name, const QString& fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 4 && args[1] == u"--time" && args[3] == u"--") {
        // Another program's job, timed the same way (print-vs-glabels.sh).
        QFile::remove(args[2]);
        const Run r = run(args[4], args.mid(5));
        std::printf("| %s | %.2f | %.1f | %.0f |%s\n", qPrintable(QFileInfo(args[4]).fileName()),
                    r.seconds, r.peakKb / 1024.0, QFileInfo(args[2]).size() / 1024.0,
                    r.status == 0 ? "" : " FAILED");
        return r.status == 0 ? 0 : 1;
    }
    const QString quillo =
        option(args, QStringLiteral("--quillo"), QStringLiteral(QUILLO_EXECUTABLE));
    const QString dir = option(args, QStringLiteral("--dir"), QStringLiteral("/tmp/quillo-bench"));
    const QStringList sheetCounts =
        option(args, QStringLiteral("--sheets"), QStringLiteral("1,100,1000")).split(u',');
    const QStringList kinds =
        option(args, QStringLiteral("--kinds"), QStringLiteral("standard,text,background"))
            .split(u',');

    QDir().mkpath(dir);
    const QString photo = dir + QStringLiteral("/photo.jpg");
    const QString card = dir + QStringLiteral("/card.qcd");
    if (!QFileInfo::exists(photo)) {
        std::fprintf(stderr, "making a 12-megapixel photo in %s\n", qPrintable(photo));
        if (!makePhoto(photo))
            return 1;
    }
    if (!makeCard(card, photo))
        return 1;

    std::printf("| kind | sheets | wall time (s) | peak memory (MB) | file (KB) | per sheet (B) |\n"
                "|---|---:|---:|---:|---:|---:|\n");
    for (const QString& kind : kinds) {
        qint64 firstSize = -1;
        int firstSheets = 0;
        for (const QString& sheets : sheetCounts) {
            const QString out = dir + QStringLiteral("/%1-%2.pdf").arg(kind, sheets);
            QFile::remove(out);
            const Run r = run(quillo, {QStringLiteral("print"), card, QStringLiteral("--pdf"), out,
                                       QStringLiteral("--sheets"), sheets, QStringLiteral("--kind"),
                                       kind, QStringLiteral("--quality"), QStringLiteral("4"),
                                       QStringLiteral("--cut-marks")});
            const qint64 size = QFileInfo(out).size();
            QString perSheet = QStringLiteral("-");
            if (firstSize < 0) {
                firstSize = size;
                firstSheets = sheets.toInt();
            } else {
                perSheet = QString::number((size - firstSize) / (sheets.toInt() - firstSheets));
            }
            std::printf("| %s | %s | %.2f | %.1f | %.0f | %s |%s\n", qPrintable(kind),
                        qPrintable(sheets), r.seconds, r.peakKb / 1024.0, size / 1024.0,
                        qPrintable(perSheet), r.status == 0 ? "" : " FAILED");
            std::fflush(stdout);
        }
    }
    return 0;
}
