// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ThumbnailGeometry.h"

#include <QTest>

class tst_ThumbnailGeometry : public QObject
{
    Q_OBJECT

private slots:
    void fit_data();
    void fit();
};

void tst_ThumbnailGeometry::fit_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<double>("drawnWidth");
    QTest::addColumn<double>("drawnHeight");

    QTest::addRow("fits, odd halves go up to even") << 3000.f << 1800.f << 188 << 8 << 3000.0 << 1800.0;
    QTest::addRow("fits, even halves go down") << 3370.f << 1810.f << 2 << 2 << 3370.0 << 1810.0;
    QTest::addRow("exactly the box width shrinks once") << 3375.f << 1000.f << 169 << 458 << 3037.5 << 900.0;
    QTest::addRow("exactly the box height shrinks once") << 1000.f << 1815.f << 1238 << 91 << 900.0 << 1633.5;
    QTest::addRow("1024 x 768 pixels takes 18 steps")
        << 15360.f << 11520.f << 535 << 43 << 2305.4536 << 1729.0902;
    QTest::addRow("a very wide strip keeps its proportions")
        << 150000.f << 15.f << 167 << 907 << 3041.3339 << 0.3041;
    QTest::addRow("one pixel is not enlarged") << 15.f << 15.f << 1680 << 900 << 15.0 << 15.0;
    QTest::addRow("nothing to draw") << 0.f << 0.f << 1688 << 908 << 0.0 << 0.0;
}

void tst_ThumbnailGeometry::fit()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(double, drawnWidth);
    QFETCH(double, drawnHeight);

    const ThumbnailPlacement placed = ThumbnailGeometry::fit(width, height);
    QCOMPARE(placed.x, x);
    QCOMPARE(placed.y, y);
    QVERIFY2(qAbs(placed.width - drawnWidth) < 1e-3, qPrintable(QString::number(placed.width, 'f', 6)));
    QVERIFY2(qAbs(placed.height - drawnHeight) < 1e-3, qPrintable(QString::number(placed.height, 'f', 6)));
    QVERIFY(placed.width < ThumbnailGeometry::BoxWidth && placed.height < ThumbnailGeometry::BoxHeight);
}

QTEST_GUILESS_MAIN(tst_ThumbnailGeometry)
#include "tst_ThumbnailGeometry.moc"
