#include "cardpicture.h"

#include "jpegbands.h"
#include "jpegcheck.h"
#include "workbitmap.h"

#include "base/appstate.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/carddocument.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "tavor.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QScopeGuard>

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <vector>

namespace {

// The largest picture the card can use: a card 91 mm wide at the finest
// render scale is under 4000 pixels across.
constexpr int MaxPictureSide = 4096;
// The most memory a picture may take while it is decoded whole.
constexpr int MaxDecodeMegabytes = 256;

constexpr int BmpFileHeader = 14;
constexpr int BmpInfoHeader = 40;

RuntimeError truncatedPicture() {
    return RuntimeError(RuntimeError::InvalidPicture,
                        QStringLiteral("画像ファイルが途中で切れています。"));
}

RuntimeError pictureTooLarge(QSize size) {
    return RuntimeError(RuntimeError::InvalidPicture,
                        QStringLiteral("画像が大きすぎて読み込めません（%1 × %2 ピクセル）。")
                            .arg(size.width())
                            .arg(size.height()));
}

// A picture so long and thin that, scaled down to the size the card can
// use, its short side would be no pixel at all (60000 × 1): there is nothing
// to show, and the readers would divide by that side.
RuntimeError pictureTooThin(QSize size) {
    return RuntimeError(RuntimeError::InvalidPicture,
                        QStringLiteral("画像の縦横の比が極端すぎて使えません（%1 × %2 ピクセル）。")
                            .arg(size.width())
                            .arg(size.height()));
}

// A picture larger than the card can use, scaled down to MaxPictureSide on
// its long side.
QSize scaledDown(QSize full) {
    const QSize scaled = full.scaled(MaxPictureSide, MaxPictureSide, Qt::KeepAspectRatio);
    if (scaled.isEmpty())
        throw pictureTooThin(full);
    return scaled;
}

// Only regular files are opened: a FIFO or a device would block the reader
// or never end.
void checkRegularFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        throw RuntimeError(errno == ENOENT ? RuntimeError::FileNotFound
                                           : RuntimeError::PathFileAccess);
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(RuntimeError::PathFileAccess);
}

quint32 le32(const uchar* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 le16(const uchar* p) {
    return quint16(p[0] | p[1] << 8);
}

// ------------------------------------------------------------------ JPEG

RuntimeError jpegFailure(JpegData data, QSize size) {
    switch (data) {
    case JpegData::CutShort:
        return truncatedPicture();
    case JpegData::TooLarge:
        return pictureTooLarge(size);
    default:
        return RuntimeError(RuntimeError::InvalidPicture);
    }
}

// Checks a JPEG of this size before it is decoded: its data must reach the
// end of its picture and the library's buffers for it fit the memory limit;
// when the general reader is to decode it (wholeDecode), which takes a
// picture whose data ends early for a whole one, the data is decoded once
// as a check.
void checkJpeg(const QString& path, QSize size, bool wholeDecode) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccess);
    const qint64 n = f.size();
    const uchar* data = n > 0 ? f.map(0, n) : nullptr;
    if (!data) {
        if (!JpegFileComplete(f))
            throw truncatedPicture();
        return;
    }
    const auto unmap = qScopeGuard([&] { f.unmap(const_cast<uchar*>(data)); });
    if (!JpegComplete(data, n))
        throw truncatedPicture();
    const JpegData verdict = wholeDecode ? CheckJpegData(data, n) : CheckJpegHeader(data, n);
    if (verdict != JpegData::Whole)
        throw jpegFailure(verdict, size);
}

// The size a JPEG is decoded at, in the picture's upright orientation. The
// decoder scales by n/8 while it decodes (a 50-megapixel photo at 3/8 costs
// a fraction of its full decode) and picks the n that reaches the requested
// size; asking for the largest n/8 step within the limit, rounded down, makes
// it pick exactly that n. Camera sizes are multiples of 8 as a rule, and then
// its output is the requested size and is not resampled; otherwise the
// output, a pixel larger, is. Past 1/8 it is resampled down to the limit.
int jpegDecodeEighths(QSize full) {
    const int longSide = std::max(full.width(), full.height());
    return std::clamp(8 * MaxPictureSide / longSide, 1, 8);
}

QSize jpegDecodeSize(QSize full) {
    const int num = jpegDecodeEighths(full);
    const QSize step(std::max(1, full.width() * num / 8), std::max(1, full.height() * num / 8));
    if (std::max(step.width(), step.height()) > MaxPictureSide)
        return scaledDown(full);
    return step;
}

// ------------------------------------------------------------------ reading

// The bytes a picture takes while the general reader decodes it whole: its
// pixels at their real depth (a 16-bit PNG takes eight bytes a pixel), and,
// when it is then scaled down, the copy that the smooth scaling first makes
// of a picture in any format but the few it takes as they are (one with an
// alpha channel, a palette).
qint64 wholeDecodeBytes(QSize size, QImage::Format format, bool scaled) {
    const qint64 pixels = qint64(size.width()) * size.height();
    int bits = int(QImage::toPixelFormat(format).bitsPerPixel());
    if (bits <= 0)
        bits = 32; // a format the reader does not tell
    qint64 bytes = (pixels * bits + 7) / 8;
    const bool takenAsItIs =
        format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied ||
        format == QImage::Format_RGBX64 || format == QImage::Format_RGBA64_Premultiplied;
    if (scaled && !takenAsItIs)
        bytes += pixels * (bits > 32 ? 8 : 4);
    return bytes;
}

// An RGB32 image whose pixels lie in memory the kernel may back with huge
// pages: a camera picture decoded into ordinary pages takes some ten
// thousand page faults, which cost more than decoding it. A null image when
// the memory cannot be had (the decoder then takes its own).
QImage imageOnHugePages(QSize size) {
    constexpr size_t HugePage = size_t(2) << 20;
    const qint64 bytesPerLine = qint64(size.width()) * 4;
    const qint64 bytes = bytesPerLine * size.height();
    if (size.isEmpty() || bytes < qint64(HugePage))
        return {};
    const size_t length = (size_t(bytes) + HugePage - 1) & ~(HugePage - 1);
    void* pixels = nullptr;
    if (posix_memalign(&pixels, HugePage, length) != 0)
        return {};
    madvise(pixels, length, MADV_HUGEPAGE);
    return QImage(
        static_cast<uchar*>(pixels), size.width(), size.height(), bytesPerLine,
        QImage::Format_RGB32, [](void* p) { std::free(p); }, pixels);
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

// ------------------------------------------------------------------ BMP

// The fields of a 24-bit uncompressed BMP that the fast paths need.
struct Bmp24 {
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    qint64 pixelStart = 0;
    qint64 rowSize = 0;
};

// Reads the headers of a 24-bit uncompressed BMP; false for any other file
// or when the pixel rows are not all there. A header may claim any size: the
// sizes are computed with checked arithmetic.
bool parseBmp24(const uchar* h, qint64 fileSize, Bmp24* out) {
    if (fileSize < BmpFileHeader + BmpInfoHeader || h[0] != 'B' || h[1] != 'M')
        return false;
    const quint32 infoSize = le32(h + 14);
    const qint32 width = qint32(le32(h + 18));
    const qint32 height = qint32(le32(h + 22));
    if (infoSize < BmpInfoHeader || le16(h + 26) != 1 || le16(h + 28) != 24 || le32(h + 30) != 0)
        return false;
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    const qint64 rows = std::abs(qint64(height));
    const qint64 rowSize = (qint64(width) * 3 + 3) & ~qint64(3);
    const qint64 start = le32(h + 10);
    qint64 pixelBytes = 0, end = 0;
    if (__builtin_mul_overflow(rowSize, rows, &pixelBytes) ||
        __builtin_add_overflow(start, pixelBytes, &end))
        return false;
    if (start < BmpFileHeader + qint64(infoSize) || end > fileSize)
        return false;
    *out = {width, int(rows), height < 0, start, rowSize};
    return true;
}

// The general reader decodes a BMP whose pixel rows are cut short as a
// whole picture with the missing rows made up; for the uncompressed kinds
// the file size tells. (Run-length encoded BMPs end where their data says.)
void checkBmpComplete(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccess);
    const QByteArray head = f.read(BmpFileHeader + BmpInfoHeader);
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() < BmpFileHeader + 12)
        throw truncatedPicture();
    const quint32 infoSize = le32(h + 14);
    qint64 width, rows, bits, compression = 0;
    if (infoSize == 12) { // the old OS/2 header
        width = le16(h + 18);
        rows = le16(h + 20);
        bits = le16(h + 24);
    } else {
        if (head.size() < BmpFileHeader + BmpInfoHeader)
            throw truncatedPicture();
        width = qint32(le32(h + 18));
        rows = std::abs(qint64(qint32(le32(h + 22))));
        bits = le16(h + 28);
        compression = le32(h + 30);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0 || bits <= 0)
        return;
    const qint64 rowSize = (width * bits + 31) / 32 * 4; // at most 2^31 × 2^16 bits
    qint64 pixelBytes = 0, end = 0;
    if (__builtin_mul_overflow(rowSize, rows, &pixelBytes) ||
        __builtin_add_overflow(qint64(le32(h + 10)), pixelBytes, &end) || end > f.size())
        throw truncatedPicture();
}

// ------------------------------------------------------------------ GIF

// The general reader decodes a GIF cut short as a whole picture, the rows it
// lacks left black. giflib reads the blocks up to the first picture (the one
// a card shows) and decodes it a row at a time into one row: the data must
// reach its last row and its end. Other faults are the general reader's to
// judge.
void checkGifComplete(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccess);
    const qint64 size = f.size();
    const uchar* data = size > 0 ? f.map(0, size) : nullptr;
    if (!data)
        throw truncatedPicture();
    const auto unmap = qScopeGuard([&] { f.unmap(const_cast<uchar*>(data)); });
    struct Source {
        const uchar* data;
        qint64 size;
        qint64 at = 0;
    } source{data, size};
    const InputFunc read = [](GifFileType* gif, GifByteType* into, int count) {
        auto* s = static_cast<Source*>(gif->UserData);
        const int n = int(std::clamp<qint64>(s->size - s->at, 0, std::max(0, count)));
        std::memcpy(into, s->data + s->at, size_t(n));
        s->at += n;
        return n;
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read, &error);
    const auto close = qScopeGuard([&] {
        if (gif)
            DGifCloseFile(gif, nullptr);
    });
    const auto cutShort = [&](int e) {
        return e == D_GIF_ERR_READ_FAILED || e == D_GIF_ERR_EOF_TOO_SOON;
    };
    if (!gif) {
        if (cutShort(error))
            throw truncatedPicture();
        return;
    }
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                break;
            while (block && DGifGetExtensionNext(gif, &block) != GIF_ERROR) {
            }
            if (block)
                break;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        std::vector<GifPixelType> row(size_t(std::max(1, gif->Image.Width)));
        for (int y = 0; y < gif->Image.Height; ++y) {
            if (DGifGetLine(gif, row.data(), gif->Image.Width) == GIF_ERROR)
                break;
        }
        break;
    }
    if (cutShort(gif->Error))
        throw truncatedPicture();
}

// A BMP row holds blue, green, red bytes per pixel.
void bgrToRgb32(const uchar* s, QRgb* d, int width) {
    for (int x = 0; x < width; ++x, s += 3)
        d[x] = 0xFF000000u | quint32(s[2]) << 16 | quint32(s[1]) << 8 | s[0];
}

// Reads a 24-bit uncompressed BMP straight into an RGB32 image: one pass over
// the mapped file instead of the general reader, rows either way up. A null
// image when the file is no such BMP.
QImage readBmp24(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PathFileAccess);
    const qint64 n = f.size();
    const uchar* data = n >= BmpFileHeader + BmpInfoHeader ? f.map(0, n) : nullptr;
    if (!data)
        return {};
    const auto unmap = qScopeGuard([&] { f.unmap(const_cast<uchar*>(data)); });
    Bmp24 bmp;
    if (!parseBmp24(data, n, &bmp) || bmp.width > MaxPictureSide || bmp.height > MaxPictureSide)
        return {};
    QImage image(bmp.width, bmp.height, QImage::Format_RGB32);
    if (image.isNull())
        throw RuntimeError(RuntimeError::OutOfMemory);
    for (int y = 0; y < bmp.height; ++y) {
        const int fileRow = bmp.topDown ? y : bmp.height - 1 - y;
        const uchar* s = data + bmp.pixelStart + qint64(fileRow) * bmp.rowSize;
        bgrToRgb32(s, reinterpret_cast<QRgb*>(image.scanLine(y)), bmp.width);
    }
    return image;
}

// ------------------------------------------------------------------ colour library

bool isLibraryMode(int mode) {
    return mode == TAVOR_MODE_SEPIA || mode == TAVOR_MODE_GREEN || mode == TAVOR_MODE_BLUE ||
           mode == TAVOR_MODE_GRAY || mode == TAVOR_MODE_TINT;
}

// A picture file being decoded. A JPEG at its own size and upright is
// decoded a band at a time on a thread of its own (JpegBands), and its rows
// can be used as they come; any other picture is decoded whole here. The
// object is the only holder of the pixels until take().
class PictureDecode {
public:
    // Checks the file and starts decoding it. Throws RuntimeError as
    // ReadPicture does.
    explicit PictureDecode(const QString& path, bool keepTransparency = false);

    const QImage& image() const { return m_image; }
    // The pixels of row y, for recolouring rows already waited for.
    uchar* row(int y) { return m_pixels + qsizetype(y) * m_bytesPerLine; }
    // Waits until the rows above row end are decoded; false when the
    // picture's data turned out broken or cut short (failure() says which).
    bool waitFor(int end) { return !m_bands || m_bands->waitFor(end); }
    RuntimeError failure() const {
        return jpegFailure(m_bands ? m_bands->failure() : JpegData::Broken, m_fullSize);
    }
    // The whole picture, once every row was waited for.
    QImage take() {
        m_bands.reset();
        return std::move(m_image);
    }

private:
    // Has the kernel back the lower half of the pixels with memory while
    // the decoder fills the upper half, so that the two cores share the
    // cost of fresh memory (on a virtual machine whose host has taken the
    // memory back, that cost can come near the decoding's own). The pixels
    // are not changed.
    void populateLowerHalf() {
        constexpr quintptr Page = 4096;
        const quintptr from = (quintptr(row(m_image.height() / 2)) + Page - 1) & ~(Page - 1);
        const quintptr to = quintptr(row(m_image.height())) & ~(Page - 1);
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
    }

    void holdPixels() {
        m_pixels = m_image.bits();
        m_bytesPerLine = m_image.bytesPerLine();
    }

    QImage m_image;
    QSize m_fullSize;
    uchar* m_pixels = nullptr;
    qsizetype m_bytesPerLine = 0;
    std::unique_ptr<JpegBands> m_bands;
};

PictureDecode::PictureDecode(const QString& path, bool keepTransparency) {
    checkRegularFile(path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    const bool bmp = reader.format() == "bmp";
    // A BMP whose rows run top-down says so by a negative height, which the
    // general reader reports as its size.
    if (bmp && size.height() < 0 && size.height() != INT_MIN)
        size.setHeight(-size.height());
    if (!size.isValid())
        throw RuntimeError(RuntimeError::InvalidPicture);
    m_fullSize = size;
    const bool jpeg = reader.format() == "jpeg" || reader.format() == "jpg";
    const bool tooLarge = size.width() > MaxPictureSide || size.height() > MaxPictureSide;
    // Only the JPEG decoder scales while it decodes (to an eighth at most);
    // the others hold the whole picture first. What cannot be held is
    // refused before decoding. A picture decoded whole may take up to
    // MaxDecodeMegabytes (an A4 scan at 600 dpi takes 140 MB); Qt's own limit
    // is lower, so it is raised for this read.
    const qint64 decodeBytes = jpeg ? qint64((size.width() + 7) / 8) * ((size.height() + 7) / 8) * 4
                                    : wholeDecodeBytes(size, reader.imageFormat(), tooLarge);
    if (decodeBytes > qint64(MaxDecodeMegabytes) * 1024 * 1024)
        throw pictureTooLarge(size);
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(std::max(previousLimit, MaxDecodeMegabytes));
    const auto restoreLimit =
        qScopeGuard([previousLimit] { QImageReader::setAllocationLimit(previousLimit); });
    if (jpeg)
        checkJpeg(path, size, false);
    else if (bmp)
        checkBmpComplete(path);
    else if (reader.format() == "gif")
        checkGifComplete(path);
    if (bmp) {
        m_image = readBmp24(path);
        if (!m_image.isNull()) {
            holdPixels();
            return;
        }
    }
    if (jpeg) {
        // The JPEG decoders fill an image of the right size and format that
        // they are given. The band decoder takes the picture upright, at a
        // size the decoder's own n/8 scaling reaches exactly.
        const QSize decoded = tooLarge ? jpegDecodeSize(size) : size;
        m_image = imageOnHugePages(decoded);
        if (reader.transformation() == QImageIOHandler::TransformationNone) {
            if (m_image.isNull())
                m_image = QImage(decoded, QImage::Format_RGB32);
            if (m_image.isNull())
                throw RuntimeError(RuntimeError::OutOfMemory);
            holdPixels();
            m_bands = JpegBands::start(path, decoded, tooLarge ? jpegDecodeEighths(size) : 8,
                                       m_pixels, m_bytesPerLine);
            if (m_bands) {
                populateLowerHalf();
                return;
            }
        }
        if (tooLarge)
            m_image = QImage();
        checkJpeg(path, size, true);
    }
    if (tooLarge)
        reader.setScaledSize(jpeg ? jpegDecodeSize(size) : scaledDown(size));
    if (!reader.read(&m_image))
        throw RuntimeError(RuntimeError::InvalidPicture);
    if (keepTransparency && m_image.hasAlphaChannel())
        m_image.convertTo(QImage::Format_ARGB32_Premultiplied);
    else
        m_image = opaque(std::move(m_image));
    holdPixels();
}

} // namespace

QImage ReadPicture(const QString& path, bool keepTransparency) {
    PictureDecode decode(path, keepTransparency);
    if (!decode.waitFor(decode.image().height()))
        throw decode.failure();
    return decode.take();
}

QString WorkPicturePath(const AppState& app, const QString& sourcePath) {
    if (GetFileTitle(sourcePath).isEmpty())
        return {};
    return WorkBitmapPath(DataFolderPath(app));
}

namespace {

// Decodes the picture, recolours it in memory and writes the working bitmap
// once. The picture itself is handed back: nothing is read back from a file
// that another run could have written in between. A JPEG is recoloured and
// written a band at a time while the rest of it is still being decoded.
QImage convertOrThrow(const QString& src, const QString& work, int mode, int red, int green,
                      int blue) {
    if (mode != 0 && !isLibraryMode(mode))
        throw RuntimeError(RuntimeError::InvalidCall);
    PictureDecode picture(src);
    const int width = picture.image().width();
    const qsizetype bytesPerLine = picture.image().bytesPerLine();
    std::optional<RuntimeError> failure;
    const int error = WriteWorkBitmap(picture.image(), work, [&](int first, int end) {
        if (!picture.waitFor(end)) {
            failure.emplace(picture.failure());
            return false;
        }
        if (mode == 0)
            return true;
        const int rc = MonocroPixels(picture.row(first), width, end - first, bytesPerLine, 4, mode,
                                     red, green, blue);
        if (rc == TAVOR_OK)
            return true;
        failure.emplace(rc == TAVOR_E_MODE ? RuntimeError::InvalidCall
                                           : RuntimeError::InvalidPicture);
        return false;
    });
    if (failure)
        throw *failure;
    if (error)
        throw RuntimeError(error);
    return picture.take();
}

} // namespace

std::optional<QImage> ConvertPicture(UiServices& ui, const QString& src, const QString& work,
                                     int mode, int red, int green, int blue) {
    if (work.isEmpty())
        return std::nullopt;
    std::optional<RuntimeError> failure;
    try {
        return convertOrThrow(src, work, mode, red, green, blue);
    } catch (const RuntimeError& e) {
        failure = e;
    } catch (const std::bad_alloc&) {
        failure = RuntimeError(RuntimeError::OutOfMemory);
    }
    // Told once: the description, one blank and the number, with the file.
    ui.message(failure->message(), UiServices::fileDetail(src));
    return std::nullopt;
}

namespace {

// Converts the card's picture into the document's picture. False when the
// card names a picture that could not be used (the message was shown).
bool convertCardPicture(CardDocument& doc, UiServices& ui, const AppState& app) {
    const Card& card = doc.card;
    const QString path = card.PicPath;
    // A card without a picture, or whose picture is gone, prints without
    // one: the picture of an earlier card must not stay behind.
    if (path.trimmed().isEmpty()) {
        doc.picture.set(card, QImage());
        return true;
    }
    if (!QFile::exists(path)) {
        doc.picture.set(card, QImage());
        ui.message(QStringLiteral("画像ファイルが見つかりません"), UiServices::fileDetail(path));
        return false;
    }
    ui.setBusy(true);
    std::optional<QImage> image =
        ConvertPicture(ui, path, WorkPicturePath(app, path), card.PicColorMode, card.PicTint[0],
                       card.PicTint[1], card.PicTint[2]);
    ui.setBusy(false);
    // A failed conversion counts as made for these settings: it is not
    // tried again until they change.
    doc.picture.set(card, image ? std::move(*image) : QImage());
    return image.has_value();
}

} // namespace

bool LoadCardPicture(CardDocument& doc, UiServices& ui, const AppState& app) {
    // The canvas shows no picture while the new one is made.
    doc.announcePicture(false);
    if (app.HaikeiFlg == 0)
        return true;
    const bool ok = convertCardPicture(doc, ui, app);
    if (ok && !doc.pictureImage().isNull())
        doc.announcePicture(true);
    return ok;
}

void PrepareCardPicture(CardDocument& doc, UiServices& ui, const AppState& app) {
    if (app.HaikeiFlg == 0 && !doc.picture.isFor(doc.card))
        convertCardPicture(doc, ui, app);
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

bool DropPictureFiles(CardDocument& doc, UiServices& ui, const AppState& app,
                      const QStringList& paths) {
    const auto picture = FirstDroppedPicture(paths);
    if (!picture)
        return false;
    if (!CheckPicturePath(ui, *picture))
        return true;
    doc.card.PicColorMode = 0;
    doc.card.PicPath = *picture;
    LoadCardPicture(doc, ui, app);
    // The same picture again with its colour kept is no change.
    doc.markChanged(CardChange::Picture);
    return true;
}
