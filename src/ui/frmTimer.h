// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QuasiModalDialog.h"
#include "Settings.h"

class QCheckBox;
class QIntValidator;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class Prompter;
class SettingsFile;

/** Sets the interval of the automatic change, a unit and a count, and the change at every start. */
class frmTimer : public QuasiModalDialog
{
    Q_OBJECT

public:
    frmTimer(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter);

    /** The count the spinner shows. */
    int count() const;

    void minOption_Click();
    void hourOption_Click();
    void dayOption_Click();
    void timeScroll_Change();
    /** A count typed into the box moves the spinner once it is within the unit's range. */
    void timeText_Change();
    void bootCheck_Click();
    void ok_Click();
    void cancel_Click();

    QLabel* Label1;
    QRadioButton* minOption;
    QRadioButton* hourOption;
    QRadioButton* dayOption;
    QLineEdit* timeText;
    /** The spinner: its top end is the unit's largest count, so the upper arrow raises it. */
    QScrollBar* timeScroll;
    QLabel* timeLabel;
    QCheckBox* bootCheck;
    QPushButton* ok;
    QPushButton* cancel;

    /** A unit's code, range, count field and words. */
    struct Unit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void selectUnit(const Unit& unit);
    const Unit& selectedUnit() const;
    void setRange(const Unit& unit);
    void showCount(const Unit& unit);

    Settings& m_settings;
    SettingsFile& m_file;
    Prompter& m_prompter;
    QIntValidator* m_countRange = nullptr;
    /** The settings at opening, which Cancel puts back. */
    Settings m_saved;
};
