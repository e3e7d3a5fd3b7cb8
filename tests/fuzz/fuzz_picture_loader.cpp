// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLoadCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {

QString& inputPath()
{
    static QString path;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt finds its image readers through the application.
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    inputPath() = dir.filePath(QStringLiteral("input"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The loader reads files by name, as a change does.
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        qFatal("cannot write %s", qPrintable(inputPath()));
    file.close();
    const QString failure = PictureLoadCheck::check(inputPath());
    if (!failure.isEmpty())
        qFatal("property broken: %s", qPrintable(failure)); // aborts: the fuzzer keeps the input
    return 0;
}
