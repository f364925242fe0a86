#include "cardpicture.h"

#include "app/runtimeerror.h"
#include "app/uiservices.h"
#include "document/cardformat.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "tavor.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <cerrno>
#include <sys/stat.h>

namespace {

// The largest picture the card can use: a card 91 mm wide at the finest
// render scale is under 4000 pixels across.
constexpr int MaxPictureSide = 4096;

void checkRegularFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        throw RuntimeError(errno == ENOENT ? RuntimeError::FileNotFound
                                           : RuntimeError::PathFileAccess);
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(RuntimeError::PathFileAccess);
}

// A picture with transparent parts is laid on white, as it shows on a card.
QImage opaque(QImage image) {
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image
                                                      : image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, image);
    return flat;
}

void writeBmp(const QImage& image, const QString& path) {
    QImageWriter writer(path, "bmp");
    if (!writer.write(image))
        throw RuntimeError(writer.error() == QImageWriter::DeviceError
                               ? RuntimeError::PermissionDenied
                               : RuntimeError::DeviceIo);
}

void monocro(const QString& in, const QString& out, int mode, int red, int green, int blue) {
    const int rc = Monocro(QFile::encodeName(in).constData(), QFile::encodeName(out).constData(),
                           mode, red, green, blue);
    if (rc == TAVOR_E_FORMAT || rc == TAVOR_E_TRUNCATED || rc == TAVOR_E_SIZE)
        throw RuntimeError(RuntimeError::InvalidPicture);
    if (rc == TAVOR_E_WRITE)
        throw RuntimeError(RuntimeError::DeviceIo);
    if (rc == TAVOR_E_MEMORY)
        throw RuntimeError(RuntimeError::OutOfMemory);
    if (rc != 0)
        throw RuntimeError(RuntimeError::InvalidCall);
}

} // namespace

QImage ReadPicture(const QString& path) {
    checkRegularFile(path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxPictureSide || size.height() > MaxPictureSide))
        reader.setScaledSize(size.scaled(MaxPictureSide, MaxPictureSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(RuntimeError::InvalidPicture);
    return opaque(std::move(image));
}

QString WorkPicturePath(TavorMain& m, const QString& sourcePath) {
    if (GetFileTitle(sourcePath).isEmpty())
        return {};
    return m.dataFolder() + QStringLiteral("/Tavor.bmp");
}

namespace {

void convertOrThrow(TavorMain& m, const QString& src, const QString& work, int mode, int red,
                    int green, int blue) {
    if (mode == 0) {
        QImage picture = ReadPicture(src);
        writeBmp(picture, work);
        m.Image1 = std::move(picture);
        return;
    }
    bool converted = false;
    if (GetExt(src).compare(QLatin1String("BMP"), Qt::CaseInsensitive) == 0) {
        // A 24-bit BMP goes to the colour library as it is; any other kind
        // of BMP is first written out as one.
        checkRegularFile(src);
        try {
            monocro(src, work, mode, red, green, blue);
            converted = true;
        } catch (const RuntimeError& e) {
            if (e.number() != RuntimeError::InvalidPicture)
                throw;
        }
    }
    if (!converted) {
        writeBmp(ReadPicture(src), work);
        monocro(work, work, mode, red, green, blue);
    }
    QImage result(work, "bmp");
    if (result.isNull())
        throw RuntimeError(RuntimeError::InvalidPicture);
    m.Image1 = opaque(std::move(result));
}

// Converts and reports the failure's description; the error itself is
// handed back for the caller's second message.
bool convertReporting(TavorMain& m, const QString& src, const QString& work, int mode, int red,
                      int green, int blue, std::optional<RuntimeError>* failure) {
    if (work.isEmpty())
        return false;
    try {
        convertOrThrow(m, src, work, mode, red, green, blue);
        return true;
    } catch (const RuntimeError& e) {
        m.ui().message(e.description());
        if (failure)
            failure->emplace(e);
        return false;
    }
}

} // namespace

bool ConvertPicture(TavorMain& m, const QString& src, const QString& work, int mode, int red,
                    int green, int blue) {
    return convertReporting(m, src, work, mode, red, green, blue, nullptr);
}

void LoadCardPicture(TavorMain& m) {
    m.view().layoutCanvas();
    m.view().clearCardPicture();
    if (m.app.HaikeiFlg == 0)
        return;
    const QString path = m.card.PicPath;
    if (path.trimmed().isEmpty())
        return;
    if (!QFile::exists(path)) {
        m.ui().message(QStringLiteral("画像ファイルが見つかりません"));
        return;
    }
    m.ui().setBusy(true);
    std::optional<RuntimeError> failure;
    const bool ok =
        convertReporting(m, path, WorkPicturePath(m, path), m.card.PicColorMode,
                         m.card.PicTint[0], m.card.PicTint[1], m.card.PicTint[2], &failure);
    m.ui().setBusy(false);
    if (ok)
        m.view().showCardPicture();
    else if (failure)
        m.ui().message(failure->description() + QString::number(failure->number()));
}

bool IsDroppablePicture(const QString& path) {
    static const QStringList endings{".gif", ".jpg", ".bmp", "jpeg", ".dib", ".tif"};
    return endings.contains(path.right(4).toLower());
}

std::optional<QString> FirstDroppedPicture(const QStringList& paths) {
    for (const QString& p : paths) {
        if (IsDroppablePicture(p))
            return p;
    }
    return std::nullopt;
}

bool DropPictureFiles(TavorMain& m, const QStringList& paths) {
    const auto picture = FirstDroppedPicture(paths);
    if (!picture)
        return false;
    m.card.PicColorMode = 0;
    if (*picture != m.card.PicPath) {
        m.card.PicPath = *picture;
        m.ChangedFlg = 1;
    }
    LoadCardPicture(m);
    return true;
}
