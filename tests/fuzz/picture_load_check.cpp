// SPDX-License-Identifier: GPL-3.0-or-later
// Loads each named file as PictureLoadCheck does and prints one line for it: "ok", the reasons given, or
// "BROKEN: …" (exit status 1). scripts/picture-stress.py runs it once a file under the sanitizers.
#include "PictureLoadCheck.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QStringList reasons;
        const QString failure = PictureLoadCheck::check(path, &reasons);
        if (!failure.isEmpty())
            status = 1;
        std::printf("%s: %s\n", argv[i],
                    qPrintable(!failure.isEmpty()  ? QStringLiteral("BROKEN: ") + failure
                               : reasons.isEmpty() ? QStringLiteral("ok")
                                                   : reasons.join(QStringLiteral("; "))));
    }
    return status;
}
