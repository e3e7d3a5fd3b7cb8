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
    static QLabel* label(QWidget* parent, const char* name, const QString& caption);
    static QRadioButton* option(QWidget* parent, const char* name, const QString& caption);
    static QPushButton* button(QWidget* parent, const char* name, const QString& caption);
    static QCheckBox* check(QWidget* parent, const char* name, const QString& caption);

    /** Runs handler whenever the option becomes selected, by the user or from code. */
    template<typename Form> static void onSelected(QRadioButton* option, Form* form, void (Form::*handler)())
    {
        QObject::connect(option, &QRadioButton::toggled, form, [form, handler](bool selected) {
            if (selected)
                (form->*handler)();
        });
    }

    /** Chains the tab order through the widgets in sequence. */
    static void tabOrder(std::initializer_list<QWidget*> sequence);
    /** Fixes the form at its designed size, or larger where its texts need more room. */
    static void fixSize(QWidget* form, QLayout* layout, int width, int height);
};
