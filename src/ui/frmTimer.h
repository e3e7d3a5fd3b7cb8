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

    void timeScroll_Change();
    /** A count typed into the box moves the spinner once it is within the unit's range. */
    void timeText_Change();

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
    void selectUnit(const Unit& unit);
    const Unit& selectedUnit() const;
    void setRange(const Unit& unit);
    void showCount(const Unit& unit);

    Settings& m_settings;
    QIntValidator* m_countRange = nullptr;
};
