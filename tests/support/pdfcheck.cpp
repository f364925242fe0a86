#include "pdfcheck.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace pdfcheck {

namespace {

std::optional<QByteArray> run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

} // namespace

bool available() {
    for (const char* tool : {"pdfinfo", "pdftoppm", "pdftotext", "pdfimages"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

std::optional<QList<QSizeF>> pageSizes(const QString& path) {
    const auto info = run(QStringLiteral("pdfinfo"), {path});
    if (!info)
        return std::nullopt;
    const QRegularExpression pagesLine(QStringLiteral("^Pages:\\s+(\\d+)"),
                                       QRegularExpression::MultilineOption);
    const auto pages = pagesLine.match(QString::fromUtf8(*info));
    if (!pages.hasMatch())
        return std::nullopt;
    const auto sizes =
        run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), pages.captured(1), path});
    if (!sizes)
        return std::nullopt;
    QList<QSizeF> out;
    const QRegularExpression sizeLine(
        QStringLiteral("^Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"),
        QRegularExpression::MultilineOption);
    auto it = sizeLine.globalMatch(QString::fromUtf8(*sizes));
    while (it.hasNext()) {
        const auto m = it.next();
        out.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
    }
    return out;
}

QImage renderPage(const QString& path, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    const QString number = QString::number(page);
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), number,
              QStringLiteral("-l"), number, QStringLiteral("-singlefile"), QStringLiteral("-png"),
              QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
              QStringLiteral("no"), path, prefix}))
        return {};
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

std::optional<QPointF> inkCentre(const QString& path, const QRectF& area, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("area"));
    const double perMm = dpi / 25.4;
    const QRect pixels(QPoint(int(area.left() * perMm), int(area.top() * perMm)),
                       QSize(int(area.width() * perMm) + 1, int(area.height() * perMm) + 1));
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
              QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-x"),
              QString::number(pixels.x()), QStringLiteral("-y"), QString::number(pixels.y()),
              QStringLiteral("-W"), QString::number(pixels.width()), QStringLiteral("-H"),
              QString::number(pixels.height()), QStringLiteral("-singlefile"),
              QStringLiteral("-png"), path, prefix}))
        return std::nullopt;
    const QImage image = QImage(prefix + QStringLiteral(".png"));
    double sumX = 0, sumY = 0, sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double weight = 1 - qRed(image.pixel(x, y)) / 255.0;
            if (weight < 0.02)
                continue;
            sumX += weight * (x + 0.5);
            sumY += weight * (y + 0.5);
            sum += weight;
        }
    }
    if (sum == 0)
        return std::nullopt;
    return QPointF((pixels.x() + sumX / sum) / perMm, (pixels.y() + sumY / sum) / perMm);
}

bool fromPostScript(const QString& ps, const QString& pdf) {
    if (QStandardPaths::findExecutable(QStringLiteral("ps2pdf")).isEmpty())
        return false;
    return run(QStringLiteral("ps2pdf"), {ps, pdf}).has_value();
}

QString text(const QString& path) {
    const auto out =
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    return out ? QString::fromUtf8(*out) : QString();
}

QList<Image> images(const QString& path) {
    const auto out = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    QList<Image> found;
    if (!out)
        return found;
    // page num type width height color comp bpc enc interp object ID ...,
    // after two lines of headings.
    const QStringList lines = QString::fromUtf8(*out).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].simplified().split(u' ');
        if (f.size() < 11)
            continue;
        found.append({f[0].toInt(), f[2], QSize(f[3].toInt(), f[4].toInt()), f[10].toInt()});
    }
    return found;
}

QList<Word> words(const QString& path) {
    const auto out =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    QList<Word> found;
    if (!out)
        return found;
    const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                       "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int page = 0;
    for (auto it = tag.globalMatch(QString::fromUtf8(*out)); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        found.append({page,
                      QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                      m.captured(5)});
    }
    return found;
}

} // namespace pdfcheck
