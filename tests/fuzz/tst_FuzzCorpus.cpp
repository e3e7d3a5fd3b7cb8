// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include <QDirIterator>
#include <QTest>

class tst_FuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusKeepsProperties()
    {
        QDirIterator corpus(QStringLiteral(TESSALY_SOURCE_DIR "/tests/fuzz/corpus"), QDir::Files);
        int inputs = 0;
        for (; corpus.hasNext(); ++inputs) {
            QFile file(corpus.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString failure = IniPropertyCheck::check(file.readAll());
            QVERIFY2(failure.isEmpty(), qPrintable(file.fileName() + ": " + failure));
        }
        QVERIFY(inputs >= 10);
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_FuzzCorpus.moc"
