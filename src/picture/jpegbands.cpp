#include "jpegbands.h"

#include <QFile>
#include <QSize>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>
#include <system_error>

// The library's decoder with our error handling.
struct JpegDecompress {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    JpegData failure = JpegData::Broken; // why the library stopped, once it did
    bool created = false;

    JpegDecompress();
    ~JpegDecompress() {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

namespace {

JpegDecompress& decompressOf(j_common_ptr info) {
    return *static_cast<JpegDecompress*>(info->client_data);
}

// A broken picture ends the decoding where the library gives up; so does
// one whose data runs out before its last row, which the library would only
// warn of, making the missing rows grey. Its other warnings (data that is
// odd but decodable) are not shown.
[[noreturn]] void giveUp(j_common_ptr info) {
    JpegDecompress& d = decompressOf(info);
    // Past the memory limit the library asks for a backing store to spill to.
    d.failure =
        info->err->msg_code == JERR_NO_BACKING_STORE ? JpegData::TooLarge : JpegData::Broken;
    std::longjmp(d.failed, 1);
}
void warn(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) {
        JpegDecompress& d = decompressOf(info);
        d.failure = JpegData::CutShort;
        std::longjmp(d.failed, 1);
    }
}

// The bytes of the coefficients the library keeps for the whole picture:
// none for a picture of a single scan, decoded as it is read.
qint64 bufferedBytes(jpeg_decompress_struct* info) {
    if (!jpeg_has_multiple_scans(info))
        return 0;
    const auto roundUp = [](qint64 n, qint64 step) { return (n + step - 1) / step * step; };
    qint64 total = 0;
    for (int c = 0; c < info->num_components; ++c) {
        const jpeg_component_info& comp = info->comp_info[c];
        total += roundUp(comp.width_in_blocks, comp.h_samp_factor) *
                 roundUp(comp.height_in_blocks, comp.v_samp_factor) * qint64(sizeof(JBLOCK));
    }
    return total;
}

} // namespace

JpegDecompress::JpegDecompress() {
    info.err = jpeg_std_error(&errors);
    errors.error_exit = giveUp;
    errors.emit_message = warn;
    info.client_data = this;
    jpeg_create_decompress(&info);
    created = true;
    info.mem->max_memory_to_use = JpegMemoryLimit;
}

namespace {

// The header, and with allData every block of the picture.
JpegData checkJpeg(const uchar* data, qint64 size, bool allData) {
    JpegDecompress d;
    if (setjmp(d.failed))
        return d.failure;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    if (bufferedBytes(&d.info) > JpegMemoryLimit)
        return JpegData::TooLarge;
    if (!allData)
        return JpegData::Whole;
    // At 1/8 each block gives one pixel, its average: all the data is read,
    // next to none of the work of the full decoding is done.
    d.info.scale_num = 1;
    d.info.scale_denom = 8;
    d.info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&d.info);
    // The row in the library's own memory: no object lives across a longjmp.
    JSAMPARRAY row =
        (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE,
                                    d.info.output_width * JDIMENSION(d.info.output_components), 1);
    while (d.info.output_scanline < d.info.output_height) {
        if (jpeg_read_scanlines(&d.info, row, 1) == 0)
            return JpegData::Broken;
    }
    return JpegData::Whole;
}

} // namespace

JpegData CheckJpegHeader(const uchar* data, qint64 size) {
    return checkJpeg(data, size, false);
}

JpegData CheckJpegData(const uchar* data, qint64 size) {
    return checkJpeg(data, size, true);
}

namespace {

// The rows handed to the library at a time; the consumer is woken for each
// such band.
constexpr int BandRows = 16;

// Reads the headers and sets the decoder up for blue, green, red, 0xFF
// pixels at eighths/8 of the picture's size; false when the library gave
// up, the picture is of a colour space that Qt's reader converts
// differently (CMYK, YCCK, two channels), it decodes to another size or its
// buffered coefficients would pass the memory limit.
// No object with a destructor lives between setjmp and a longjmp.
bool readHeader(jpeg_decompress_struct* info, std::jmp_buf* failed, const uchar* data,
                unsigned long size, QSize expected, int eighths) {
    if (setjmp(*failed))
        return false;
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    if (bufferedBytes(info) > JpegMemoryLimit)
        return false;
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
    bands->m_jpeg = std::make_unique<JpegDecompress>();
    JpegDecompress& d = *bands->m_jpeg;
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
        m_failure = m_jpeg->failure;
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
        if (n < 0) {
            // Read by waitFor's side once the end is published.
            m_failure = m_jpeg->failure;
            break;
        }
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
