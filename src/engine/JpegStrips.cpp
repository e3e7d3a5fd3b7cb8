// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegStrips.h"

#include "AreaScaler.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <future>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Large enough that starting the helper thread for a strip costs next to nothing beside its rows.
constexpr int StripRows = 64;
constexpr int ReadBytes = 64 * 1024;

struct Failure
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void failed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1);
}

void quiet(j_common_ptr) {}

struct Source
{
    jpeg_source_mgr manager;
    QFile* file;
    JOCTET bytes[ReadBytes];
};

boolean fill(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<Source*>(info->src);
    qint64 got = source->file->read(reinterpret_cast<char*>(source->bytes), ReadBytes);
    if (got <= 0) {
        // A cut file ends as if its end marker came; the warning sends it the plain way.
        WARNMS(info, JWRN_JPEG_EOF);
        source->bytes[0] = 0xff;
        source->bytes[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->bytes;
    source->manager.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

void skip(j_decompress_ptr info, long count)
{
    jpeg_source_mgr& manager = *info->src;
    while (count > long(manager.bytes_in_buffer)) {
        count -= long(manager.bytes_in_buffer);
        fill(info);
    }
    manager.next_input_byte += count;
    manager.bytes_in_buffer -= std::size_t(count);
}

void nothing(j_decompress_ptr) {}

/** Reads the header and sets Qt's decoder settings; false when this file is not for strips. */
bool start(jpeg_decompress_struct& info, Failure& failure, Source& source, int scaleNumerator, QSize expected)
{
    if (setjmp(failure.jump))
        return false;
    // Inside the jump's reach: even making the decoder can fail, out of memory.
    jpeg_create_decompress(&info);
    info.src = &source.manager;
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.progressive_mode ||
        info.num_components != 3 || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB))
        return false;
    info.scale_num = unsigned(scaleNumerator);
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    return QSize(int(info.output_width), int(info.output_height)) == expected && info.err->num_warnings == 0;
}

bool startDecoding(jpeg_decompress_struct& info, Failure& failure)
{
    if (setjmp(failure.jump))
        return false;
    jpeg_start_decompress(&info);
    return true;
}

/** Decodes the next strip of up to StripRows rows into `strip`; false when the decoder fails. */
bool decodeStrip(jpeg_decompress_struct& info, Failure& failure, uchar* strip, int* rows)
{
    if (setjmp(failure.jump))
        return false;
    const std::size_t rowBytes = std::size_t(info.output_width) * 3;
    *rows = 0;
    while (*rows < StripRows && info.output_scanline < info.output_height) {
        JSAMPROW row = strip + rowBytes * std::size_t(*rows);
        *rows += int(jpeg_read_scanlines(&info, &row, 1));
    }
    return true;
}

} // namespace

bool JpegStrips::decode(QFile& file, int scaleNumerator, QSize expected, AreaScaler& scaler)
{
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = failed;
    failure.manager.output_message = quiet;
    Source source{};
    source.file = &file;
    source.manager.init_source = nothing;
    source.manager.fill_input_buffer = fill;
    source.manager.skip_input_data = skip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = nothing;

    bool ok = start(info, failure, source, scaleNumerator, expected) && startDecoding(info, failure);
    if (ok) {
        // Two strips: one is scaled on a helper thread while the next decodes into the other.
        const std::size_t rowBytes = std::size_t(expected.width()) * 3;
        std::vector<uchar> strips[2] = {std::vector<uchar>(rowBytes * StripRows),
                                        std::vector<uchar>(rowBytes * StripRows)};
        std::future<void> scaling;
        for (int k = 0; ok && info.output_scanline < info.output_height; ++k) {
            uchar* strip = strips[k % 2].data();
            int rows = 0;
            ok = decodeStrip(info, failure, strip, &rows);
            if (scaling.valid())
                scaling.wait();
            if (ok)
                scaling = std::async(std::launch::async, [&scaler, strip, rows, rowBytes] {
                    for (int r = 0; r < rows; ++r)
                        scaler.addRow(strip + rowBytes * std::size_t(r));
                });
        }
        if (scaling.valid())
            scaling.wait();
        ok = ok && info.err->num_warnings == 0;
    }
    jpeg_destroy_decompress(&info);
    return ok;
}
