// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogParts.h"

#include <QCheckBox>
#include <QScreen>
#include <QWidget>

QRadioButton* DialogParts::option(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QCheckBox* DialogParts::check(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QCheckBox(caption, parent), name);
}

void DialogParts::stores(QRadioButton* option, QString& field, const char* code)
{
    onSelected(option, [&field, code] { field = QLatin1String(code); });
}

void DialogParts::select(std::initializer_list<QRadioButton*> options, int index)
{
    options.begin()[qBound(0, index, int(options.size()) - 1)]->setChecked(true);
}

void DialogParts::openAt(QWidget* window, QSize usual)
{
    QSize size = usual.expandedTo(window->minimumSizeHint());
    if (const QScreen* screen = window->screen()) {
        // The frame is not known before the window is shown; leave room for a title bar and borders.
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        size = size.boundedTo(room).expandedTo(window->minimumSizeHint());
    }
    window->resize(size);
}
