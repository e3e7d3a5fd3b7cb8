// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

class DecodeDeadline;
class QIODevice;

/**
 * A libjpeg decoder reading from a device, bounded by what the file is rather than by trust in its
 * header: a picture whose coefficients alone would take more than the picture budget is refused once its
 * header is read, and a decode stops at the deadline or at its hundred-and-first scan. Ordinary
 * progressive files have about ten scans; repeating one thousands of times costs a whole-picture pass
 * each time and adds nothing to the picture, a known way to hold a decoder for minutes.
 */
class JpegDecompressor
{
public:
    static constexpr int MaxScans = 100;

    /** Why a step failed. */
    enum class Stop { None, TooLarge, TooManyScans, Deadline, Damaged };

    /** Both must outlive the decompressor; it reads from the device's current place. */
    JpegDecompressor(QIODevice& device, const DecodeDeadline& deadline);
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    /** Reads the header; false when the file is not a JPEG or is too large to decode in the budget. */
    [[nodiscard]] bool readHeader();

    /** Asks for the output reduced by `numerator`/8, in `space`; its size is then in `info()`. */
    [[nodiscard]] bool setOutput(int numerator, J_COLOR_SPACE space);

    /** Starts the decode, which reads every scan first in a file of several; false when that fails. */
    [[nodiscard]] bool start();

    /** Decodes up to `count` rows of the output into `rows`, one after another, `*done` of them. */
    [[nodiscard]] bool readRows(uchar* rows, int count, int* done);

    /**
     * Counts the scans of a file of several, after the header, by their markers: false when there are
     * more than MaxScans or the deadline passed. Decoding them to count would cost as much as the decode
     * itself (libjpeg decodes a progressive file's coefficients before its first row).
     */
    [[nodiscard]] bool countScans();

    /** What the header says, and the output once set. */
    const jpeg_decompress_struct& info() const { return m_info; }

    /** True when the decoder warned of damage (a cut file, a bad marker), which it mends its own way. */
    bool warned() const;

    Stop stop() const { return m_stop; }

    /** Why the last step failed, in words for the user; libjpeg's own words for a damaged file. */
    QString reason() const;

    /** Bytes libjpeg keeps for the whole picture's coefficients, after the header; 0 for a one-pass decode.
     */
    qint64 coefficientBytes() const;

private:
    struct Failure
    {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
        JpegDecompressor* owner;
        char message[JMSG_LENGTH_MAX];
    };
    struct Source
    {
        jpeg_source_mgr manager;
        QIODevice* device;
        JOCTET bytes[64 * 1024];
    };
    struct Progress
    {
        jpeg_progress_mgr manager;
        JpegDecompressor* owner;
    };

    [[noreturn]] static void failed(j_common_ptr info);
    static void watch(j_common_ptr info);
    static boolean fill(j_decompress_ptr info);
    static void skip(j_decompress_ptr info, long count);
    /** The next byte of the file; a cut file ends in an end marker, as for libjpeg. */
    JOCTET nextByte();

    [[noreturn]] void leave(Stop why);

    jpeg_decompress_struct m_info{};
    Failure m_failure{};
    Source m_source{};
    Progress m_progress{};
    const DecodeDeadline& m_deadline;
    Stop m_stop = Stop::None;
};
