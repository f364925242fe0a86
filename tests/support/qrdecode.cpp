#include "qrdecode.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

QString DecodeQrCode(const QImage& image) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("decode.png"));
    if (!image.save(file, "PNG"))
        return {};
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                QStringLiteral("-Sqrcode.enable"), file});
    if (!zbar.waitForFinished(60000) || zbar.exitCode() != 0)
        return {};
    QByteArray out = zbar.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1); // zbarimg ends each symbol with a line break of its own
    return QString::fromUtf8(out);
}

bool QrDecoderAvailable() {
    return !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}
