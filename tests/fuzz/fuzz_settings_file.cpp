// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString failure = IniPropertyCheck::check(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!failure.isEmpty())
        qFatal("property broken: %s", qPrintable(failure)); // aborts: the fuzzer keeps the input
    return 0;
}
