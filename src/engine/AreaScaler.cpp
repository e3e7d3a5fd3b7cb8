// SPDX-License-Identifier: GPL-3.0-or-later
#include "AreaScaler.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// Weights are fixed point with 12 fraction bits, so a full sum of 255 * 4096 * 4096 still fits 32 bits.
constexpr int WeightBits = 12;
constexpr quint32 WeightOne = 1u << WeightBits;

/** For each target position, the source positions it covers and how much of each, summing to WeightOne. */
struct Taps
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<quint32> weights;
};

Taps taps(int sourceLength, int targetLength)
{
    Taps result;
    result.first.resize(targetLength);
    result.count.resize(targetLength);
    result.offset.resize(targetLength);
    const double step = double(sourceLength) / targetLength;
    for (int t = 0; t < targetLength; ++t) {
        const double begin = t * step;
        const double end = std::min(double(sourceLength), (t + 1) * step);
        const int from = int(std::floor(begin));
        const int to = std::min(sourceLength, int(std::ceil(end)));
        result.first[t] = from;
        result.count[t] = to - from;
        result.offset[t] = int(result.weights.size());
        quint32 given = 0;
        for (int s = from; s < to; ++s) {
            const double cover = std::min(end, double(s + 1)) - std::max(begin, double(s));
            const quint32 w =
                s + 1 == to ? WeightOne - given : quint32(std::lround(cover / step * WeightOne));
            result.weights.push_back(std::min(w, WeightOne - given));
            given += result.weights.back();
        }
    }
    return result;
}

void shrinkRows(const QImage& source, uchar* canvasBits, qsizetype canvasStride, const QRect& target,
                const QRect& visible, const Taps& across, const Taps& down, int fromRow, int toRow)
{
    const int sourceWidth = source.width();
    std::vector<quint32> column(std::size_t(sourceWidth) * 4);
    for (int row = fromRow; row < toRow; ++row) {
        const int t = row - target.top();
        std::fill(column.begin(), column.end(), 0u);
        for (int k = 0; k < down.count[t]; ++k) {
            const quint32 w = down.weights[down.offset[t] + k];
            const uchar* line = source.constScanLine(down.first[t] + k);
            quint32* sum = column.data();
            const int n = sourceWidth * 4;
            for (int i = 0; i < n; ++i)
                sum[i] += line[i] * w;
        }
        uchar* out = canvasBits + canvasStride * row;
        for (int x = visible.left(); x <= visible.right(); ++x) {
            const int u = x - target.left();
            quint32 b = 0, g = 0, r = 0;
            const quint32* sum = column.data() + std::size_t(across.first[u]) * 4;
            const quint32* w = across.weights.data() + across.offset[u];
            for (int k = 0; k < across.count[u]; ++k, sum += 4) {
                b += sum[0] * w[k];
                g += sum[1] * w[k];
                r += sum[2] * w[k];
            }
            constexpr quint32 half = 1u << (2 * WeightBits - 1);
            uchar* pixel = out + std::size_t(x) * 4;
            // RGB32 in memory is B, G, R, 0xff on little-endian machines; the sums keep that order.
            pixel[0] = uchar((b + half) >> (2 * WeightBits));
            pixel[1] = uchar((g + half) >> (2 * WeightBits));
            pixel[2] = uchar((r + half) >> (2 * WeightBits));
            pixel[3] = 0xff;
        }
    }
}

} // namespace

void AreaScaler::shrinkInto(const QImage& source, QImage& canvas, const QRect& target)
{
    const QRect visible = target.intersected(canvas.rect());
    if (visible.isEmpty() || source.isNull())
        return;
    Q_ASSERT(source.format() == QImage::Format_RGB32 && canvas.format() == QImage::Format_RGB32);
    Q_ASSERT(source.width() >= target.width() && source.height() >= target.height());
    const Taps across = taps(source.width(), target.width());
    const Taps down = taps(source.height(), target.height());

    const int middle = visible.top() + visible.height() / 2;
    // Taken once here: bits() may detach, which must not happen from two threads.
    uchar* bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    // Big pictures are worth a second thread; the split is by target rows, which share nothing.
    if (qint64(source.width()) * source.height() >= 1'000'000) {
        std::thread helper(shrinkRows, std::cref(source), bits, stride, target, visible, std::cref(across),
                           std::cref(down), visible.top(), middle);
        shrinkRows(source, bits, stride, target, visible, across, down, middle, visible.bottom() + 1);
        helper.join();
    } else {
        shrinkRows(source, bits, stride, target, visible, across, down, visible.top(), visible.bottom() + 1);
    }
}
