// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

std::optional<QString> QtFileDialogs::openFile(const QString& title, const QString& filter, int filterIndex)
{
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = dialog.nameFilters();
    if (filterIndex >= 0 && filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(filterIndex));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
