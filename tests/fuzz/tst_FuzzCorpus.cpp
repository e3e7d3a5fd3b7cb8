// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include <QDir>
#include <QTest>

/** Replays every saved fuzz input through the fuzz target's property checks. */
class tst_FuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(TESSALY_SOURCE_DIR "/tests/fuzz/corpus"));
        QVERIFY(corpus.count() >= 10);
        for (const QString& name : corpus.entryList(QDir::Files))
            QTest::addRow("%s", qPrintable(name)) << corpus.filePath(name);
    }
    void corpus()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(IniPropertyCheck::check(file.readAll()), QString());
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_FuzzCorpus.moc"
