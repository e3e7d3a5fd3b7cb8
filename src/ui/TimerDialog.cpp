// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimerDialog.h"

#include "CheckedSettings.h"
#include "DialogParts.h"
#include "SettingsSchema.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

struct TimerDialog::Unit
{
    CheckedSettings::Unit value;
    int row;
    QString Settings::*count;
    const char* singular;
    const char* plural;
};

namespace {

const TimerDialog::Unit kMinutes{CheckedSettings::Unit::Minutes, 1, &Settings::timeMin, "Minute", "Minutes"};
const TimerDialog::Unit kHours{CheckedSettings::Unit::Hours, 2, &Settings::timeHour, "Hour", "Hours"};
const TimerDialog::Unit kDays{CheckedSettings::Unit::Days, 3, &Settings::timeDay, "Day", "Days"};

/** The settings this dialog sets. */
const SettingsSchema::Fields TimerFields = {&Settings::timeOption, &Settings::timeMin, &Settings::timeHour,
                                            &Settings::timeDay, &Settings::changeEveryBoot};

/** The largest count of a unit, as the settings file allows it. */
int largest(const TimerDialog::Unit& unit)
{
    return int(SettingsSchema::of(unit.count).high);
}

} // namespace

TimerDialog::TimerDialog(QWidget* parent, const Settings& settings)
    : OptionDialog(parent, QStringLiteral("Timer Control"), settings, TimerFields),
      m_grid(new QGridLayout(this)),
      m_minutesOption(DialogParts::option(this, "minutesOption", QStringLiteral("Minutes"))),
      m_hoursOption(DialogParts::option(this, "hoursOption", QStringLiteral("Hours"))),
      m_daysOption(DialogParts::option(this, "daysOption", QStringLiteral("Days"))),
      m_countRow(new QWidget(this)), m_countBox(DialogParts::named(new QSpinBox(m_countRow), "countBox")),
      m_unitLabel(DialogParts::named(new QLabel(m_countRow), "unitLabel")),
      m_everyStartCheck(DialogParts::check(this, "everyStartCheck",
                                           QStringLiteral("Change image after every computer reboot.")))
{
    m_countBox->setAlignment(Qt::AlignRight);
    // Wide enough for the longest unit word, so that the row does not jump when the word changes.
    m_unitLabel->setMinimumWidth(m_unitLabel->fontMetrics().horizontalAdvance(QStringLiteral("Minutes")));
    auto* countLayout = new QHBoxLayout(m_countRow);
    countLayout->setContentsMargins(0, 0, 0, 0);
    countLayout->addWidget(m_countBox);
    countLayout->addWidget(m_unitLabel);
    countLayout->addStretch(1);

    m_grid->addWidget(new QLabel(QStringLiteral("Change Image..."), this), 0, 0, 1, 2);
    m_grid->addWidget(m_minutesOption, kMinutes.row, 0);
    m_grid->addWidget(m_hoursOption, kHours.row, 0);
    m_grid->addWidget(m_daysOption, kDays.row, 0);
    m_grid->addWidget(okCancelColumn(), 0, 2, 4, 1, Qt::AlignTop);
    m_grid->addWidget(m_everyStartCheck, 4, 0, 1, 3);
    m_grid->setColumnStretch(1, 1);
    m_grid->setRowStretch(5, 1);
    DialogParts::openAt(this, QSize(273, 182));

    DialogParts::onSelected(m_minutesOption, [this] { selectUnit(kMinutes); });
    DialogParts::onSelected(m_hoursOption, [this] { selectUnit(kHours); });
    DialogParts::onSelected(m_daysOption, [this] { selectUnit(kDays); });
    connect(m_countBox, &QSpinBox::valueChanged, this, &TimerDialog::onCountChanged);
    connect(m_everyStartCheck, &QCheckBox::toggled, this, [this](bool checked) {
        values().changeEveryBoot = QLatin1String(CheckedSettings::storedEveryStart(checked));
    });

    const CheckedSettings checked(settings);
    DialogParts::select({m_minutesOption, m_hoursOption, m_daysOption}, int(checked.unit()));
    m_everyStartCheck->setChecked(checked.changesAtEveryStart());
}

void TimerDialog::selectUnit(const Unit& unit)
{
    values().timeOption = QLatin1String(CheckedSettings::stored(unit.value));
    // Read the unit's count before the range changes: narrowing the range clamps the box, and that
    // clamped value must not overwrite the count stored for the new unit.
    const int stored = CheckedSettings(values()).integer(unit.count);
    {
        const QSignalBlocker quiet(m_countBox);
        m_countBox->setRange(1, largest(unit));
        m_countBox->setValue(stored);
    }
    m_grid->removeWidget(m_countRow);
    m_grid->addWidget(m_countRow, unit.row, 1);
    // A count out of the unit's range is stored as the box shows it.
    onCountChanged(m_countBox->value());
}

void TimerDialog::onCountChanged(int count)
{
    const Unit& unit = selectedUnit();
    values().*unit.count = QString::number(count);
    m_unitLabel->setText(QLatin1String(count == 1 ? unit.singular : unit.plural));
}

const TimerDialog::Unit& TimerDialog::selectedUnit() const
{
    if (m_minutesOption->isChecked())
        return kMinutes;
    if (m_hoursOption->isChecked())
        return kHours;
    return kDays;
}
