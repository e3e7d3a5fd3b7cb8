// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

PromptAnswer MessageBoxPrompter::ask(const QString& text, PromptButtons buttons, PromptIcon icon)
{
    // In the order PromptIcon and PromptButtons declare their values.
    static constexpr QMessageBox::Icon Icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                  QMessageBox::Warning, QMessageBox::Critical,
                                                  QMessageBox::Question};
    static constexpr QMessageBox::StandardButtons Buttons[] = {
        QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel};
    QMessageBox box(Icons[int(icon)], QStringLiteral("Tessaly"), text, Buttons[int(buttons)],
                    QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Save:
        return PromptAnswer::Save;
    case QMessageBox::Discard:
        return PromptAnswer::Discard;
    default:
        return PromptAnswer::Ok;
    }
}
