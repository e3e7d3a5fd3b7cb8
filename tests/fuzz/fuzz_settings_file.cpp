// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString failure = IniPropertyCheck::check(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
