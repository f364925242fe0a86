#pragma once

#include <QFile>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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
    // decoder failed first (the picture's data is broken).
    bool waitFor(int end);

private:
    JpegBands() = default;
    void run();

    QFile m_file; // mapped while the decoder reads it
    uchar* m_pixels = nullptr;
    qsizetype m_bytesPerLine = 0;
    struct Decompress;
    std::unique_ptr<Decompress> m_jpeg;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_rows = 0;       // rows decoded
    bool m_ended = false; // the decoder stopped, finished or not
    bool m_stop = false;  // asked to stop
    std::thread m_thread;
};
