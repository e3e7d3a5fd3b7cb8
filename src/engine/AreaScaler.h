// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>
#include <functional>
#include <vector>

/**
 * Shrinks a picture into a rectangle of another image by averaging the source area under each target
 * pixel (a box filter: no aliasing at any factor). It takes the picture row by row, top to bottom, and
 * writes each target row as soon as the rows under it are in, so a picture being decoded can be
 * scaled while the rest of it decodes and a photo-sized image is never made.
 */
class AreaScaler
{
public:
    /** Told the canvas row just painted, on the thread that gave the source row completing it. */
    using RowDone = std::function<void(int canvasRow)>;

    /**
     * Paints a picture of `sourceSize` (at least as large as `target` in both directions) into `target`
     * of `canvas` (RGB32), each direction scaled on its own. Parts of `target` outside `canvas` are
     * clipped. The canvas must outlive the scaler.
     */
    AreaScaler(QSize sourceSize, QImage& canvas, const QRect& target, RowDone rowDone = {});

    /** The next source row: `sourceSize.width()` pixels as B, G, R bytes. */
    void addRow(const uchar* pixels);

    /** Paints the whole of `source` (opaque RGB32) as above. */
    static void shrinkInto(const QImage& source, QImage& canvas, const QRect& target);

private:
    /** For each target position, the source positions it covers and how much of each. */
    struct Taps
    {
        std::vector<int> first;
        std::vector<int> count;
        std::vector<int> offset;
        std::vector<quint32> weights;
    };
    static Taps taps(int sourceLength, int targetLength);
    void finishRow(int targetRow, const std::vector<quint32>& column);

    RowDone m_rowDone;
    int m_sourceWidth;
    QRect m_target;
    QRect m_visible;
    uchar* m_bits = nullptr;
    qsizetype m_stride = 0;
    Taps m_across;
    Taps m_down;
    int m_nextSource = 0;
    /** The first target row not yet written; the rows after it that are open share the ring. */
    int m_firstOpen = 0;
    /** Weighted column sums of the open target rows, indexed by target row modulo the ring size. */
    std::vector<std::vector<quint32>> m_columns;
};
