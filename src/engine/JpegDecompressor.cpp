// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegDecompressor.h"

#include "DecodeBudget.h"
#include "DecodeDeadline.h"

#include <QIODevice>
#include <cstring>

#include <jerror.h>

namespace {

void quiet(j_common_ptr) {}

void nothing(j_decompress_ptr) {}

qint64 roundUp(qint64 value, qint64 multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

JpegDecompressor::JpegDecompressor(QIODevice& device, const DecodeDeadline& deadline) : m_deadline(deadline)
{
    m_info.err = jpeg_std_error(&m_failure.manager);
    m_failure.manager.error_exit = failed;
    m_failure.manager.output_message = quiet;
    m_failure.owner = this;
    m_source.device = &device;
    m_source.manager.init_source = nothing;
    m_source.manager.fill_input_buffer = fill;
    m_source.manager.skip_input_data = skip;
    m_source.manager.resync_to_restart = jpeg_resync_to_restart;
    m_source.manager.term_source = nothing;
    m_progress.manager.progress_monitor = watch;
    m_progress.owner = this;
}

JpegDecompressor::~JpegDecompressor()
{
    jpeg_destroy_decompress(&m_info);
}

bool JpegDecompressor::readHeader()
{
    if (m_deadline.expired()) {
        m_stop = Stop::Deadline;
        return false;
    }
    if (setjmp(m_failure.jump))
        return false;
    // Inside the jump's reach: even making the decoder can fail, out of memory.
    jpeg_create_decompress(&m_info);
    m_info.src = &m_source.manager;
    m_info.progress = &m_progress.manager;
    // libjpeg's own bound on its whole-picture buffers, behind the one below that is known sooner.
    m_info.mem->max_memory_to_use = long(DecodeBudget::Bytes);
    jpeg_read_header(&m_info, TRUE);
    if (coefficientBytes() > DecodeBudget::Bytes) {
        m_stop = Stop::TooLarge;
        return false;
    }
    return true;
}

bool JpegDecompressor::setOutput(int numerator, J_COLOR_SPACE space)
{
    if (setjmp(m_failure.jump))
        return false;
    m_info.scale_num = unsigned(numerator);
    m_info.scale_denom = 8;
    m_info.out_color_space = space;
    jpeg_calc_output_dimensions(&m_info);
    return true;
}

bool JpegDecompressor::start()
{
    if (setjmp(m_failure.jump))
        return false;
    jpeg_start_decompress(&m_info);
    return true;
}

bool JpegDecompressor::readRows(uchar* rows, int count, int* done)
{
    if (setjmp(m_failure.jump))
        return false;
    const std::size_t rowBytes = std::size_t(m_info.output_width) * std::size_t(m_info.output_components);
    *done = 0;
    while (*done < count && m_info.output_scanline < m_info.output_height) {
        JSAMPROW row = rows + rowBytes * std::size_t(*done);
        *done += int(jpeg_read_scanlines(&m_info, &row, 1));
    }
    return true;
}

bool JpegDecompressor::countScans()
{
    if (coefficientBytes() == 0)
        return true;
    // libjpeg has read up to the first scan's data. Inside a scan's data a 0xff byte is followed by a
    // stuffed 0, a restart marker or fill; any other marker ends the scan.
    int scans = int(m_info.input_scan_number);
    jpeg_source_mgr& source = *m_info.src;
    for (;;) {
        // Most of a file is scan data: leap to its next 0xff a buffer at a time.
        const auto* mark =
            static_cast<const JOCTET*>(std::memchr(source.next_input_byte, 0xff, source.bytes_in_buffer));
        const std::size_t skipped =
            mark != nullptr ? std::size_t(mark - source.next_input_byte) : source.bytes_in_buffer;
        source.next_input_byte += skipped;
        source.bytes_in_buffer -= skipped;
        if (nextByte() != 0xff)
            continue;
        JOCTET marker = nextByte();
        while (marker == 0xff)
            marker = nextByte();
        // A stuffed 0, a restart marker, a start of image and the temporary marker have no length.
        if (marker == 0 || (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 8) || marker == 0x01)
            continue;
        if (marker == JPEG_EOI)
            return m_stop != Stop::Deadline;
        if (marker == 0xda && ++scans > MaxScans) {
            m_stop = Stop::TooManyScans;
            return false;
        }
        // Every other marker has a length, which covers the length itself.
        const int high = nextByte();
        skip(&m_info, long((high << 8) | nextByte()) - 2);
    }
}

JOCTET JpegDecompressor::nextByte()
{
    static const JOCTET end[] = {0xff, JPEG_EOI};
    jpeg_source_mgr& manager = *m_info.src;
    if (manager.bytes_in_buffer == 0) {
        if (m_deadline.expired()) {
            // Ends the walk as a cut file would, at an end marker; the walk looks at the stop.
            m_stop = Stop::Deadline;
            manager.next_input_byte = end;
            manager.bytes_in_buffer = sizeof end;
        } else {
            fill(&m_info);
        }
    }
    --manager.bytes_in_buffer;
    return *manager.next_input_byte++;
}

bool JpegDecompressor::warned() const
{
    return m_failure.manager.num_warnings != 0;
}

QString JpegDecompressor::reason() const
{
    switch (m_stop) {
    case Stop::None:
        break;
    case Stop::TooLarge:
        return DecodeBudget::tooLarge(QSize(int(m_info.image_width), int(m_info.image_height)));
    case Stop::TooManyScans:
        return QStringLiteral("the picture has more than %1 scans (a damaged or hostile JPEG)").arg(MaxScans);
    case Stop::Deadline:
        return m_deadline.reason();
    case Stop::Damaged:
        return QString::fromLocal8Bit(m_failure.message);
    }
    return {};
}

qint64 JpegDecompressor::coefficientBytes() const
{
    // libjpeg keeps them whole when the picture comes in several scans, as its first scan tells.
    if (!m_info.progressive_mode && m_info.comps_in_scan >= m_info.num_components)
        return 0;
    // As libjpeg sizes it: each component's blocks, padded to whole sampling units both ways.
    qint64 total = 0;
    for (int c = 0; c < m_info.num_components; ++c) {
        const jpeg_component_info& component = m_info.comp_info[c];
        total += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) * qint64(sizeof(JBLOCK));
    }
    return total;
}

void JpegDecompressor::failed(j_common_ptr info)
{
    Failure* failure = reinterpret_cast<Failure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    // Asked for more than the budget: libjpeg's own bound agrees with the one read from the header.
    failure->owner->leave(info->err->msg_code == JERR_NO_BACKING_STORE ? Stop::TooLarge : Stop::Damaged);
}

void JpegDecompressor::watch(j_common_ptr info)
{
    JpegDecompressor* self = reinterpret_cast<Progress*>(info->progress)->owner;
    // Left through the same jump as an error, as libjpeg's own tools leave on too many scans.
    if (self->m_info.input_scan_number > MaxScans)
        self->leave(Stop::TooManyScans);
    if (self->m_deadline.expired())
        self->leave(Stop::Deadline);
}

void JpegDecompressor::leave(Stop why)
{
    m_stop = why;
    std::longjmp(m_failure.jump, 1);
}

boolean JpegDecompressor::fill(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<Source*>(info->src);
    qint64 got = source->device->read(reinterpret_cast<char*>(source->bytes), qint64(sizeof source->bytes));
    if (got <= 0) {
        // A cut file ends as if its end marker came, with a warning.
        WARNMS(info, JWRN_JPEG_EOF);
        source->bytes[0] = 0xff;
        source->bytes[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->bytes;
    source->manager.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

void JpegDecompressor::skip(j_decompress_ptr info, long count)
{
    jpeg_source_mgr& manager = *info->src;
    if (count <= 0)
        return;
    while (count > long(manager.bytes_in_buffer)) {
        count -= long(manager.bytes_in_buffer);
        fill(info);
    }
    manager.next_input_byte += count;
    manager.bytes_in_buffer -= std::size_t(count);
}
