// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SettingsSchema.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

class Prompter;
class SettingsFile;

/**
 * A modeless dialog that keeps the main window disabled while it is open, opens at the main
 * window's top-left corner, and gives the main window back (enabled, shown, in front) however it
 * closes. The main window is not the dialog's parent: a disabled parent would disable it too.
 */
class QuasiModalDialog : public QWidget
{
    Q_OBJECT

public:
    ~QuasiModalDialog() override;

protected:
    QuasiModalDialog(QWidget* mainWindow, const QString& caption);

    /** Pixels for a length in twips at 96 dots per inch. */
    static constexpr int twips(int length) { return length / 15; }

    /**
     * Ok writes `fields` (a failed save is told) and closes; Cancel, and Escape, put back the values the
     * fields hold now and close.
     */
    void okCancel(QAbstractButton* ok, QAbstractButton* cancel, Settings& settings, SettingsFile& file,
                  Prompter& prompter, const SettingsSchema::Fields& fields);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<QAbstractButton> m_cancel;
    bool m_unloaded = false;
};
