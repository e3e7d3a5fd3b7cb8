// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRadioButton>
#include <QString>

#include <initializer_list>

class QCheckBox;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

/** Builds the controls the option dialogs share, each named as the form names it. */
class DialogParts
{
public:
    template<typename Control> static Control* named(Control* control, const char* name)
    {
        control->setObjectName(QLatin1String(name));
        return control;
    }
    static QLabel* label(QWidget* parent, const char* name, const QString& caption);
    static QRadioButton* option(QWidget* parent, const char* name, const QString& caption);
    static QPushButton* button(QWidget* parent, const char* name, const QString& caption);
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
    /** Selects the option at `index`; any other value selects the last one. */
    static void select(std::initializer_list<QRadioButton*> options, double index);

    /** Chains the tab order through the widgets in sequence. */
    static void tabOrder(std::initializer_list<QWidget*> sequence);
    /** Fixes the form at its designed size, or larger where its texts need more room. */
    static void fixSize(QWidget* form, QLayout* layout, int width, int height);
};
