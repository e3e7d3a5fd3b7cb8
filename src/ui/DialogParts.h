// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRadioButton>
#include <QString>

#include <initializer_list>

class QCheckBox;
class QWidget;

/** Builds and wires the controls the option dialogs share. */
class DialogParts
{
public:
    /** Names a control by its role, the name tests find it by. */
    template<typename Control> static Control* named(Control* control, const char* name)
    {
        control->setObjectName(QLatin1String(name));
        return control;
    }
    static QRadioButton* option(QWidget* parent, const char* name, const QString& caption);
    static QCheckBox* check(QWidget* parent, const char* name, const QString& caption);

    /** Runs handler whenever the option becomes selected, by the user or from code. */
    template<typename Handler> static void onSelected(QRadioButton* option, Handler handler)
    {
        QObject::connect(option, &QRadioButton::toggled, option, [handler](bool selected) {
            if (selected)
                handler();
        });
    }
    /** Selecting the option stores `code` in `field`. */
    static void stores(QRadioButton* option, QString& field, const char* code);
    /** Selects the option at `index`: a setting's checked value, the options in the order of its values. */
    static void select(std::initializer_list<QRadioButton*> options, int index);

    /**
     * Opens a window at its usual size, or larger where its texts need more room, within the room its
     * screen has; its layout keeps the smallest size at which every control still reads.
     */
    static void openAt(QWidget* window, QSize usual);
};
