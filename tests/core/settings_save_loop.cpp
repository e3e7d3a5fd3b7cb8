// SPDX-License-Identifier: GPL-3.0-or-later
// Saves two lists in turn, for ever, until it is killed: the crash test's child.
#include "CrashTestList.h"
#include "platform/PosixFileSystem.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int entries = QByteArray(argv[2]).toInt();
    const QList<IniEdit> lists[2] = {crashTestList(entries, u'B'), crashTestList(entries, u'A')};
    std::printf("ready\n");
    std::fflush(stdout);
    for (unsigned round = 0;; ++round) {
        SettingsFile file(path, PosixFileSystem::instance());
        if (!file.apply(lists[round % 2])) {
            std::fprintf(stderr, "%s\n", qPrintable(file.errorString()));
            return 1;
        }
    }
}
