// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionDialog.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QRadioButton;
class QSpinBox;

/** Sets the interval of the automatic change, a unit and a count, and the change at every start. */
class TimerDialog : public OptionDialog
{
    Q_OBJECT

public:
    TimerDialog(QWidget* parent, const Settings& settings);

    /** A unit's value, option row, count field and words. */
    struct Unit;

private:
    void selectUnit(const Unit& unit);
    void onCountChanged(int count);
    const Unit& selectedUnit() const;

    QGridLayout* m_grid;
    QRadioButton* m_minutesOption;
    QRadioButton* m_hoursOption;
    QRadioButton* m_daysOption;
    /** The count and its unit's word, on the chosen unit's row. */
    QWidget* m_countRow;
    QSpinBox* m_countBox;
    QLabel* m_unitLabel;
    QCheckBox* m_everyStartCheck;
};
