#pragma once

#include <QFile>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// How a JPEG's data stands, as libjpeg finds it.
enum class JpegData {
    Whole,    // decodes to its last row
    CutShort, // its data ends before its last row (the decoder would make the rest grey)
    TooLarge, // its decoding would take more than JpegMemoryLimit of the library's memory
    Broken,   // anything else the library gives up on
};

// The most memory libjpeg may take for one picture, besides the decoded
// pixels: a progressive or other multi-scan picture keeps all its
// coefficients until the last scan, two bytes for each of its samples, and a
// few hundred bytes of such a file can claim gigabytes of them.
constexpr long JpegMemoryLimit = 256L * 1024 * 1024;

// Reads the headers only: TooLarge when the picture's buffered coefficients
// would pass JpegMemoryLimit, Broken when the headers do not read.
JpegData CheckJpegHeader(const uchar* data, qint64 size);

// Decodes the whole picture at 1/8 of its size, keeping nothing: what
// decoding it whole would meet. For the pictures the general reader decodes,
// which takes a picture cut short for a whole one.
JpegData CheckJpegData(const uchar* data, qint64 size);

struct JpegDecompress;

// Decodes a JPEG at its own size into RGB32 pixels on a thread of its own,
// top row first, so that the rows already decoded can be recoloured and
// written while the decoder goes on with the rest: on a camera picture the
// two halves of the work then take the time of the longer one. The decoder
// writes blue, green, red and 0xFF for each pixel, the bytes of an RGB32
// image, and decodes exactly as Qt's JPEG reader does (same library, same
// settings), so the pixels are the same either way.
class JpegBands {
public:
    // Starts decoding the file into pixels (bytesPerLine apart, room for the
    // decoded rows), scaled by eighths/8 as the decoder scales, unless it is
    // no JPEG this decoder takes: CMYK and other colour spaces, or a decoded
    // size other than expected (then nullptr, and the general reader decodes
    // it).
    static std::unique_ptr<JpegBands> start(const QString& path, QSize expected, int eighths,
                                            uchar* pixels, qsizetype bytesPerLine);
    ~JpegBands(); // stops the decoder at its next row and waits for it

    JpegBands(const JpegBands&) = delete;
    JpegBands& operator=(const JpegBands&) = delete;

    // Waits until the rows above row `end` are decoded; false when the
    // decoder failed first (the picture's data is broken or cut short).
    bool waitFor(int end);
    // Why the decoder failed, once waitFor said it did.
    JpegData failure() const { return m_failure; }

private:
    JpegBands() = default;
    void run();

    QFile m_file; // mapped while the decoder reads it
    uchar* m_pixels = nullptr;
    qsizetype m_bytesPerLine = 0;
    std::unique_ptr<JpegDecompress> m_jpeg;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_rows = 0; // rows decoded
    JpegData m_failure = JpegData::Broken;
    bool m_ended = false; // the decoder stopped, finished or not
    bool m_stop = false;  // asked to stop
    std::thread m_thread;
};
