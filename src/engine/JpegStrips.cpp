// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegStrips.h"

#include "AreaScaler.h"
#include "core/RegularFile.h"

#include <QFile>
#include <array>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr int StripRows = 16;
// Enough strips that the decoder can fill one while the scaler works through another.
constexpr int StripCount = 3;
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

/**
 * Strips passed between the decoding thread and the scaling one. The buffers stay here and only their
 * numbers travel, so that nothing the decoder's thread holds needs freeing when libjpeg jumps out.
 */
class StripQueue
{
public:
    StripQueue(std::size_t stripBytes) : m_strips(StripCount, std::vector<uchar>(stripBytes))
    {
        for (int i = 0; i < StripCount; ++i)
            m_free.push_back(i);
    }

    uchar* strip(int number) { return m_strips[std::size_t(number)].data(); }

    int takeFree()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_free.empty(); });
        return pop(m_free);
    }
    void giveFree(int number) { push(m_free, number); }
    void giveFull(int number, int rows)
    {
        m_rows[std::size_t(number)] = rows;
        push(m_full, number);
    }
    void finish(bool ok)
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_ok = ok;
        m_changed.notify_all();
    }
    /** The next decoded strip; -1 once the decoder is done and every strip is taken. */
    int takeFull()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_full.empty() || m_finished; });
        return m_full.empty() ? -1 : pop(m_full);
    }
    int rows(int number) const { return m_rows[std::size_t(number)]; }
    bool ok()
    {
        std::lock_guard lock(m_mutex);
        return m_ok;
    }

private:
    static int pop(std::deque<int>& from)
    {
        const int number = from.front();
        from.pop_front();
        return number;
    }
    void push(std::deque<int>& to, int number)
    {
        std::lock_guard lock(m_mutex);
        to.push_back(number);
        m_changed.notify_all();
    }

    std::vector<std::vector<uchar>> m_strips;
    std::array<int, StripCount> m_rows{};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_free;
    std::deque<int> m_full;
    bool m_finished = false;
    bool m_ok = false;
};

/** Reads the header and sets Qt's decoder settings; false when this file is not for strips. */
bool start(jpeg_decompress_struct& info, Failure& failure, int scaleNumerator, QSize expected)
{
    if (setjmp(failure.jump))
        return false;
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.progressive_mode ||
        info.num_components != 3 || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB))
        return false;
    info.scale_num = unsigned(scaleNumerator);
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&info);
    return QSize(int(info.output_width), int(info.output_height)) == expected && info.err->num_warnings == 0;
}

/** The decoding thread: strips until the last row, or until the decoder fails. */
void decodeStrips(jpeg_decompress_struct& info, Failure& failure, StripQueue& queue)
{
    if (setjmp(failure.jump)) {
        queue.finish(false);
        return;
    }
    jpeg_start_decompress(&info);
    const std::size_t rowBytes = std::size_t(info.output_width) * 4;
    while (info.output_scanline < info.output_height) {
        const int number = queue.takeFree();
        int rows = 0;
        while (rows < StripRows && info.output_scanline < info.output_height) {
            JSAMPROW row = queue.strip(number) + rowBytes * std::size_t(rows);
            rows += int(jpeg_read_scanlines(&info, &row, 1));
        }
        queue.giveFull(number, rows);
    }
    queue.finish(info.err->num_warnings == 0);
}

} // namespace

bool JpegStrips::decode(const QString& path, int scaleNumerator, QSize expected, AreaScaler& scaler)
{
    QFile file;
    if (!RegularFile::open(path, file))
        return false;
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = failed;
    failure.manager.output_message = quiet;
    jpeg_create_decompress(&info);
    Source source{};
    source.file = &file;
    source.manager.init_source = nothing;
    source.manager.fill_input_buffer = fill;
    source.manager.skip_input_data = skip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = nothing;
    info.src = &source.manager;

    bool ok = start(info, failure, scaleNumerator, expected);
    if (ok) {
        const std::size_t rowBytes = std::size_t(expected.width()) * 4;
        StripQueue queue(rowBytes * StripRows);
        std::thread decoder(decodeStrips, std::ref(info), std::ref(failure), std::ref(queue));
        for (int number = queue.takeFull(); number >= 0; number = queue.takeFull()) {
            for (int r = 0; r < queue.rows(number); ++r)
                scaler.addRow(queue.strip(number) + rowBytes * std::size_t(r));
            queue.giveFree(number);
        }
        decoder.join();
        ok = queue.ok();
    }
    jpeg_destroy_decompress(&info);
    return ok;
}
