#include "jpegbands.h"

#include <QFile>
#include <QSize>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>
#include <system_error>

struct JpegBands::Decompress {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    bool created = false;

    ~Decompress() {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

namespace {

// A broken picture ends the decoding where the library gives up; its
// warnings (data that is odd but decodable) are not shown.
[[noreturn]] void giveUp(j_common_ptr info) {
    std::longjmp(*static_cast<std::jmp_buf*>(info->client_data), 1);
}
void quiet(j_common_ptr) {}

// The rows handed to the library at a time; the consumer is woken for each
// such band.
constexpr int BandRows = 16;

// Reads the headers and sets the decoder up for blue, green, red, 0xFF
// pixels at eighths/8 of the picture's size; false when the library gave
// up, the picture is of a colour space that Qt's reader converts
// differently (CMYK, YCCK, two channels) or it decodes to another size.
// No object with a destructor lives between setjmp and a longjmp.
bool readHeader(jpeg_decompress_struct* info, std::jmp_buf* failed, const uchar* data,
                unsigned long size, QSize expected, int eighths) {
    if (setjmp(*failed))
        return false;
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    const bool plain =
        (info->jpeg_color_space == JCS_GRAYSCALE && info->num_components == 1) ||
        ((info->jpeg_color_space == JCS_YCbCr || info->jpeg_color_space == JCS_RGB) &&
         info->num_components == 3);
    if (!plain)
        return false;
    info->out_color_space = JCS_EXT_BGRX;
    info->scale_num = unsigned(eighths);
    info->scale_denom = 8;
    jpeg_calc_output_dimensions(info);
    return int(info->output_width) == expected.width() &&
           int(info->output_height) == expected.height();
}

bool startDecompress(jpeg_decompress_struct* info, std::jmp_buf* failed) {
    if (setjmp(*failed))
        return false;
    jpeg_start_decompress(info);
    return info->output_components == 4;
}

// Decodes up to BandRows rows into rows; the number decoded, or -1 when the
// library gave up.
int readBand(jpeg_decompress_struct* info, std::jmp_buf* failed, JSAMPROW* rows, int count) {
    if (setjmp(*failed))
        return -1;
    int done = 0;
    while (done < count) {
        const JDIMENSION n = jpeg_read_scanlines(info, rows + done, JDIMENSION(count - done));
        if (n == 0)
            return -1;
        done += int(n);
    }
    return done;
}

} // namespace

std::unique_ptr<JpegBands> JpegBands::start(const QString& path, QSize expected, int eighths,
                                            uchar* pixels, qsizetype bytesPerLine) {
    std::unique_ptr<JpegBands> bands(new JpegBands);
    // The file is mapped, not read: its pages are in the cache already (its
    // completeness was checked), and copying them would take fresh memory.
    bands->m_file.setFileName(path);
    if (expected.isEmpty() || eighths < 1 || eighths > 8 ||
        !bands->m_file.open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 size = bands->m_file.size();
    const uchar* data = size > 0 ? bands->m_file.map(0, size) : nullptr;
    if (!data)
        return nullptr;
    bands->m_pixels = pixels;
    bands->m_bytesPerLine = bytesPerLine;
    bands->m_jpeg = std::make_unique<Decompress>();
    Decompress& d = *bands->m_jpeg;
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = giveUp;
    d.errors.output_message = quiet;
    d.info.client_data = &d.failed;
    jpeg_create_decompress(&d.info);
    d.created = true;
    if (!readHeader(&d.info, &d.failed, data, static_cast<unsigned long>(size), expected, eighths))
        return nullptr;
    try {
        bands->m_thread = std::thread([b = bands.get()] { b->run(); });
    } catch (const std::system_error&) {
        return nullptr; // no thread to be had: the general reader decodes it
    }
    return bands;
}

JpegBands::~JpegBands() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_thread.join();
    }
}

void JpegBands::run() {
    jpeg_decompress_struct* info = &m_jpeg->info;
    std::jmp_buf* failed = &m_jpeg->failed;
    const auto publish = [this](int rows, bool ended) {
        bool stop = false;
        {
            std::lock_guard lock(m_mutex);
            m_rows = rows;
            m_ended = ended;
            stop = m_stop;
        }
        m_changed.notify_all();
        return !stop;
    };
    if (!startDecompress(info, failed)) {
        publish(0, true);
        return;
    }
    const int height = int(info->output_height);
    JSAMPROW rows[BandRows];
    int y = 0;
    while (y < height) {
        const int count = std::min(BandRows, height - y);
        for (int i = 0; i < count; ++i)
            rows[i] = m_pixels + qsizetype(y + i) * m_bytesPerLine;
        const int n = readBand(info, failed, rows, count);
        if (n < 0)
            break;
        y += n;
        if (!publish(y, false))
            break;
    }
    // The library's memory goes when the decoder is destroyed; a decoder
    // stopped half-way is simply abandoned.
    publish(y, true);
}

bool JpegBands::waitFor(int end) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_rows >= end || m_ended; });
    return m_rows >= end;
}
