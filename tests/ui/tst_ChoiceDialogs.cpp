// SPDX-License-Identifier: GPL-3.0-or-later
// The display style and order mode dialogs: one option group, one key each.
#include "DialogFixture.h"
#include "ui/frmDisplay.h"
#include "ui/frmMode.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <string_view>

namespace {

struct Opened
{
    QuasiModalDialog* dialog;
    QPushButton* ok;
    QPushButton* cancel;
    QString Settings::*field;
};

Opened open(const QString& form, DialogFixture& f)
{
    if (form == u"display") {
        auto* d = new frmDisplay(&f.mainWindow, f.settings, *f.file, f.prompter);
        return {d, d->ok, d->cancel, &Settings::displayType};
    }
    auto* d = new frmMode(&f.mainWindow, f.settings, *f.file, f.prompter);
    return {d, d->ok, d->cancel, &Settings::sequenceType};
}

QByteArray ini(const QString& form, const QString& value)
{
    const QString key = form == u"display" ? QStringLiteral("displayType") : QStringLiteral("sequenceType");
    return QStringLiteral("[display]\nimageNum=0\n%1=%2\n").arg(key, value).toUtf8();
}

QString selected(QWidget* dialog)
{
    for (QRadioButton* option : dialog->findChildren<QRadioButton*>()) {
        if (option->isChecked())
            return option->objectName();
    }
    return QString();
}

} // namespace

class tst_ChoiceDialogs : public QObject
{
    Q_OBJECT

private slots:
    void openingSelectsAndOkWrites_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("written");
        const char* rows[][5] = {
            {"display 0", "display", "0", "fullOption", "0"},
            {"display 1", "display", "1", "centerOption", "1"},
            {"display 2.0", "display", "2.0", "tileOption", "2"},
            {"display 5 is stretch as shipped", "display", "5", "fullOption", "0"},
            {"mode 0", "mode", "0", "seqOption", "0"},
            {"mode 1", "mode", "1", "randomOption", "1"},
            {"mode 2 is list order as shipped", "mode", "2", "seqOption", "0"},
            {"mode shuffle", "mode", "shuffle", "shuffleOption", "shuffle"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s", row[0]) << row[1] << row[2] << row[3] << row[4];
    }
    void openingSelectsAndOkWrites()
    {
        QFETCH(QString, form);
        QFETCH(QString, stored);
        QFETCH(QString, option);
        QFETCH(QString, written);
        DialogFixture f(ini(form, stored));
        const Opened o = open(form, f);
        QVERIFY(!f.mainWindow.isEnabled());
        QCOMPARE(o.dialog->pos(), f.mainWindow.pos());
        QCOMPARE(selected(o.dialog), option);
        o.ok->click();
        QVERIFY(f.mainWindow.isEnabled());
        QCOMPARE(f.settings.*o.field, written);
        QCOMPARE(SettingsSchema::readAll(*f.file).*o.field, written);
        delete o.dialog;
    }

    void cancelAndOtherClose_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("chosen");
        QTest::addRow("display") << "display"
                                 << "tileOption"
                                 << "centerOption"
                                 << "1";
        QTest::addRow("mode") << "mode"
                              << "seqOption"
                              << "randomOption"
                              << "1";
    }
    void cancelAndOtherClose()
    {
        QFETCH(QString, form);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, chosen);
        // Escape abandons the edits as Cancel does; only the close box keeps them in memory.
        for (const char* way : {"cancel", "escape", "close box"}) {
            const bool cancel = way != std::string_view("close box");
            DialogFixture f(ini(form, QStringLiteral("0")));
            const QByteArray before = f.folder.readSettings();
            const Opened o = open(form, f);
            o.dialog->findChild<QRadioButton*>(first)->click();
            o.dialog->findChild<QRadioButton*>(second)->click();
            if (way == std::string_view("cancel"))
                o.cancel->click();
            else if (cancel)
                QTest::keyClick(o.dialog, Qt::Key_Escape);
            else
                o.dialog->close();
            QCOMPARE(f.settings.*o.field, cancel ? QStringLiteral("0") : chosen);
            QCOMPARE(f.folder.readSettings(), before);
            QVERIFY(f.mainWindow.isEnabled());
            delete o.dialog;
        }
    }
};

QTEST_MAIN(tst_ChoiceDialogs)
#include "tst_ChoiceDialogs.moc"
