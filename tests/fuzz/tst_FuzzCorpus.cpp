// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniPropertyCheck.h"
#include "PictureLoadCheck.h"

#include "DecodeDeadline.h"

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

    void picturesLoadOrSayWhy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("refusal"); // words every load's reason holds; empty: each one loads
        const QString any = QStringLiteral("*");
        // Refused for what the file is, before the decoder takes the time or the memory its header asks.
        QHash<QString, QString> hostile = {
            {QStringLiteral("scan-flood.jpg"), QStringLiteral("more than 100 scans")},
            {QStringLiteral("claims-20000.jpg"),
             QStringLiteral("20000 x 20000 pixels, too large to decode in 256 MB of memory")},
            {QStringLiteral("claims-65500.jpg"), QStringLiteral("65500 x 65500 pixels, too large")},
            // Refused by Qt's allocation limit when stretched, with Qt's words; by the budget when clipped.
            {QStringLiteral("claims-20000.png"), any},
            // Its scans end long before its rows: shown as the decoder mends it, or not, but in time.
            {QStringLiteral("baseline-claims-20000.jpg"), any},
        };
#ifdef Q_OS_WIN
        // Qt for Windows is built from its base alone, which has no reader for these.
        for (const char* name : {"picture.tga", "picture.tif", "picture.webp"})
            hostile.insert(QLatin1String(name),
                           QStringLiteral("not a picture of a kind the installed readers take"));
#endif
        QDirIterator pictures(QStringLiteral(TESSALY_SOURCE_DIR "/tests/fuzz/pictures"), QDir::Files);
        while (pictures.hasNext()) {
            const QString path = pictures.next();
            const QString name = pictures.fileName();
            QTest::addRow("%s", qPrintable(name))
                << path << (name.startsWith(QStringLiteral("cut-")) ? any : hostile.value(name));
        }
    }
    void picturesLoadOrSayWhy()
    {
        QFETCH(QString, path);
        QFETCH(QString, refusal);
        QStringList reasons;
        const QString failure = PictureLoadCheck::check(path, &reasons);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY2(!reasons.contains(DecodeDeadline().reason()), "ran into the deadline");
        if (refusal == QStringLiteral("*"))
            return;
        if (refusal.isEmpty())
            QVERIFY2(reasons.isEmpty(), qPrintable(reasons.join(QStringLiteral("; "))));
        else
            QVERIFY2(reasons.size() == 2 && reasons.filter(refusal).size() == 2,
                     qPrintable(reasons.join(QStringLiteral("; "))));
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_FuzzCorpus.moc"
