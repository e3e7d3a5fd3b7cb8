// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogParts.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

QLabel* DialogParts::label(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QLabel(caption, parent), name);
}

QRadioButton* DialogParts::option(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QPushButton* DialogParts::button(QWidget* parent, const char* name, const QString& caption)
{
    auto* control = named(new QPushButton(caption, parent), name);
    control->setAutoDefault(false);
    return control;
}

QCheckBox* DialogParts::check(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QCheckBox(caption, parent), name);
}

void DialogParts::stores(QRadioButton* option, QString& field, const char* code)
{
    onSelected(option, [&field, code] { field = QLatin1String(code); });
}

void DialogParts::select(std::initializer_list<QRadioButton*> options, double index)
{
    const int last = int(options.size()) - 1;
    options.begin()[index >= 0 && index < last && index == int(index) ? int(index) : last]->setChecked(true);
}

void DialogParts::tabOrder(std::initializer_list<QWidget*> sequence)
{
    QWidget* previous = nullptr;
    for (QWidget* next : sequence) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

void DialogParts::fixSize(QWidget* form, QLayout* layout, int width, int height)
{
    const QSize needed = layout->sizeHint();
    form->setFixedSize(std::max(width, needed.width()), std::max(height, needed.height()));
}
