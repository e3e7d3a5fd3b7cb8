// SPDX-License-Identifier: GPL-3.0-or-later
#include "AreaScaler.h"

#include "BgrRow.h"

#include <algorithm>
#include <cmath>

namespace {

// Weights are fixed point with 12 fraction bits, so a full sum of 255 * 4096 * 4096 still fits 32 bits;
// the sums are exact, so the order rows arrive in cannot change a pixel.
constexpr int WeightBits = 12;
constexpr quint32 WeightOne = 1u << WeightBits;

// When shrinking, a source row lies under at most two target rows; the ring leaves room to spare.
constexpr int RingSize = 4;

} // namespace

AreaScaler::Taps AreaScaler::taps(int sourceLength, int targetLength)
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

AreaScaler::AreaScaler(QSize sourceSize, QImage& canvas, const QRect& target, RowDone rowDone)
    : m_rowDone(std::move(rowDone)), m_sourceWidth(sourceSize.width()), m_target(target),
      m_visible(target.intersected(canvas.rect())), m_across(taps(sourceSize.width(), target.width())),
      m_down(taps(sourceSize.height(), target.height())),
      m_columns(RingSize, std::vector<quint32>(std::size_t(sourceSize.width()) * 3))
{
    Q_ASSERT(canvas.format() == QImage::Format_RGB32);
    Q_ASSERT(sourceSize.width() >= target.width() && sourceSize.height() >= target.height());
    if (!m_visible.isEmpty()) {
        m_bits = canvas.bits();
        m_stride = canvas.bytesPerLine();
    }
    m_firstOpen = m_visible.isEmpty() ? target.height() : m_visible.top() - target.top();
}

void AreaScaler::addRow(const uchar* pixels)
{
    const int s = m_nextSource++;
    const int lastVisible = m_visible.bottom() - m_target.top();
    for (int t = m_firstOpen; t <= lastVisible && m_down.first[t] <= s; ++t) {
        const int k = s - m_down.first[t];
        std::vector<quint32>& column = m_columns[std::size_t(t % RingSize)];
        const quint32 w = m_down.weights[m_down.offset[t] + k];
        quint32* sum = column.data();
        const int n = m_sourceWidth * 3;
        // A target row's first source row starts its sums: no pass to clear them first.
        if (k == 0) {
            for (int i = 0; i < n; ++i)
                sum[i] = pixels[i] * w;
        } else {
            for (int i = 0; i < n; ++i)
                sum[i] += pixels[i] * w;
        }
        if (k + 1 == m_down.count[t]) {
            finishRow(t, column);
            m_firstOpen = t + 1;
            if (m_rowDone)
                m_rowDone(m_target.top() + t);
        }
    }
}

void AreaScaler::finishRow(int targetRow, const std::vector<quint32>& column)
{
    uchar* out = m_bits + m_stride * (m_target.top() + targetRow);
    for (int x = m_visible.left(); x <= m_visible.right(); ++x) {
        const int u = x - m_target.left();
        quint32 b = 0, g = 0, r = 0;
        const quint32* sum = column.data() + std::size_t(m_across.first[u]) * 3;
        const quint32* w = m_across.weights.data() + m_across.offset[u];
        for (int k = 0; k < m_across.count[u]; ++k, sum += 3) {
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

void AreaScaler::shrinkInto(const QImage& source, QImage& canvas, const QRect& target)
{
    if (source.isNull() || target.isEmpty())
        return;
    Q_ASSERT(source.format() == QImage::Format_RGB32);
    AreaScaler scaler(source.size(), canvas, target);
    std::vector<uchar> row(std::size_t(source.width()) * 3);
    for (int y = 0; y < source.height(); ++y) {
        bgrRow(source, y, row.data());
        scaler.addRow(row.data());
    }
}
