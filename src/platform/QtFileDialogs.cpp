// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

std::optional<QStringList> QtFileDialogs::openFiles(const QString& title, const QString& filter,
                                                    const QString& folder)
{
    QFileDialog dialog(QApplication::activeWindow(), title, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}
