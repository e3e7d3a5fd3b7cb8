// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

/** Replays every saved fuzz input through the fuzz target's property checks. */
class tst_FuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusKeepsProperties_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(TESSALY_SOURCE_DIR "/tests/fuzz/corpus"));
        const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 10, "the seed corpus is missing");
        for (const QString& name : names)
            QTest::addRow("%s", qPrintable(name)) << corpus.filePath(name);
    }

    void corpusKeepsProperties()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString failure = IniPropertyCheck::check(file.readAll());
        QVERIFY2(failure.isEmpty(), failure.toUtf8().toPercentEncoding(" []=\"").constData());
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_FuzzCorpus.moc"
