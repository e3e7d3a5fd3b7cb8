// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

/**
 * The memory one decode may take: no decoded picture (as 32-bit pixels) and no decoder's own buffers may
 * take more, so that no file, however large, can take the machine's memory. Qt's own allocation limit is
 * held to the same figure.
 */
namespace DecodeBudget {

constexpr int MiB = 256;
constexpr qint64 Bytes = qint64(MiB) * 1024 * 1024;

/** Why a picture of this size is refused. */
QString tooLarge(QSize picture);

} // namespace DecodeBudget
