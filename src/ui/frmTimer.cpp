// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmTimer.h"

#include "DialogParts.h"
#include "Settings.h"
#include "SettingsSchema.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>

struct frmTimer::Unit
{
    const char* code;
    QString Settings::*count;
    const char* singular;
    const char* plural;
};

namespace {

const frmTimer::Unit kMinutes{"0", &Settings::timeMin, "Minute", "Minutes"};
const frmTimer::Unit kHours{"1", &Settings::timeHour, "Hour", "Hours"};
const frmTimer::Unit kDays{"2", &Settings::timeDay, "Day", "Days"};

/** The settings this dialog sets. */
const SettingsSchema::Fields TimerFields = {&Settings::timeOption, &Settings::timeMin, &Settings::timeHour,
                                            &Settings::timeDay, &Settings::changeEveryBoot};

/** The largest count of a unit, as the settings file allows it. */
int largest(const frmTimer::Unit& unit)
{
    return int(SettingsSchema::of(unit.count).high);
}

} // namespace

frmTimer::frmTimer(QWidget* mainWindow, Settings& settings, SettingsFile& file, Prompter& prompter)
    : QuasiModalDialog(mainWindow, QStringLiteral("Timer Control")),
      Label1(DialogParts::label(this, "Label1", QStringLiteral("Change Image..."))),
      minOption(DialogParts::option(this, "minOption", QStringLiteral("Minutes"))),
      hourOption(DialogParts::option(this, "hourOption", QStringLiteral("Hours"))),
      dayOption(DialogParts::option(this, "dayOption", QStringLiteral("Days"))),
      timeText(DialogParts::named(new QLineEdit(this), "timeText")),
      timeScroll(DialogParts::named(new QScrollBar(Qt::Vertical, this), "timeScroll")),
      timeLabel(DialogParts::label(this, "timeLabel", QString())),
      bootCheck(
          DialogParts::check(this, "bootCheck", QStringLiteral("Change image after every computer reboot."))),
      ok(DialogParts::button(this, "ok", QStringLiteral("Ok"))),
      cancel(DialogParts::button(this, "cancel", QStringLiteral("Cancel"))), m_settings(settings)
{
    // Typed as well as stepped: going from 30 to 1 should not take 29 clicks.
    m_countRange = new QIntValidator(1, 60, timeText);
    timeText->setValidator(m_countRange);
    timeText->setAlignment(Qt::AlignRight);
    timeText->setFixedWidth(timeText->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    timeScroll->setSingleStep(1);
    timeScroll->setPageStep(1);
    timeScroll->setFixedHeight(timeText->sizeHint().height());
    timeLabel->setMinimumWidth(timeLabel->fontMetrics().horizontalAdvance(QStringLiteral("Minutes")));

    auto* spinner = new QHBoxLayout;
    spinner->setSpacing(0);
    spinner->addWidget(timeText);
    spinner->addWidget(timeScroll);
    spinner->addSpacing(6);
    spinner->addWidget(timeLabel);
    spinner->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(minOption, 1, 0);
    grid->addWidget(hourOption, 2, 0);
    grid->addLayout(spinner, 2, 1);
    grid->addWidget(dayOption, 3, 0);
    grid->addWidget(bootCheck, 3, 1, 1, 2);
    grid->addWidget(ok, 0, 2);
    grid->addWidget(cancel, 1, 2);
    grid->setRowStretch(4, 1);
    DialogParts::fixSize(this, grid, twips(4095), twips(2730));
    DialogParts::tabOrder({ok, cancel, minOption, hourOption, dayOption, timeText, timeScroll, bootCheck});

    DialogParts::onSelected(minOption, [this] { selectUnit(kMinutes); });
    DialogParts::onSelected(hourOption, [this] { selectUnit(kHours); });
    DialogParts::onSelected(dayOption, [this] { selectUnit(kDays); });
    connect(timeScroll, &QScrollBar::valueChanged, this, &frmTimer::timeScroll_Change);
    connect(timeText, &QLineEdit::textEdited, this, &frmTimer::timeText_Change);
    timeText->installEventFilter(this);
    connect(bootCheck, &QCheckBox::toggled, this, [this](bool checked) {
        m_settings.changeEveryBoot = checked ? QStringLiteral("1") : QStringLiteral("0");
    });
    okCancel(ok, cancel, settings, file, prompter, TimerFields);

    DialogParts::select({minOption, hourOption, dayOption},
                        SettingsSchema::number(settings, &Settings::timeOption));
    if (SettingsSchema::number(settings, &Settings::changeEveryBoot) == 1)
        bootCheck->setChecked(true);
}

int frmTimer::count() const
{
    // The scroll bar runs from -largest at its top to -1 at its bottom.
    return -timeScroll->value();
}

void frmTimer::selectUnit(const Unit& unit)
{
    m_settings.timeOption = QLatin1String(unit.code);
    // Read the unit's count before the range changes: narrowing the range clamps the spinner, and
    // that clamped value must not overwrite the count stored for the new unit.
    const int stored = SettingsSchema::int16(m_settings, unit.count);
    {
        const QSignalBlocker quiet(timeScroll);
        setRange(unit);
        timeScroll->setValue(-stored);
    }
    timeScroll_Change();
}

void frmTimer::timeScroll_Change()
{
    const Unit& unit = selectedUnit();
    m_settings.*unit.count = QString::number(count());
    setRange(unit);
    showCount(unit);
}

void frmTimer::timeText_Change()
{
    if (timeText->hasAcceptableInput())
        timeScroll->setValue(-timeText->text().toInt());
}

bool frmTimer::eventFilter(QObject* watched, QEvent* event)
{
    // A box left empty or out of range shows the count that holds (editingFinished would not come).
    const bool enter =
        event->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (watched == timeText && (event->type() == QEvent::FocusOut || enter))
        showCount(selectedUnit());
    return QuasiModalDialog::eventFilter(watched, event);
}

const frmTimer::Unit& frmTimer::selectedUnit() const
{
    if (minOption->isChecked())
        return kMinutes;
    if (hourOption->isChecked())
        return kHours;
    return kDays;
}

void frmTimer::setRange(const Unit& unit)
{
    timeScroll->setRange(-largest(unit), -1);
    m_countRange->setTop(largest(unit));
}

void frmTimer::showCount(const Unit& unit)
{
    // Rewriting the same text would move the cursor of someone typing.
    if (timeText->text() != QString::number(count()))
        timeText->setText(QString::number(count()));
    timeLabel->setText(QLatin1String(count() == 1 ? unit.singular : unit.plural));
}
