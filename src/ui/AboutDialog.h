// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QUrl>

class UrlOpener;

/**
 * The about box: icon, name, version, a notice and the project's web page. Window-modal over its
 * parent, which owns it; it deletes itself once closed.
 */
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static const QUrl WebAddress;

    AboutDialog(QWidget* parent, UrlOpener& urlOpener);

private:
    UrlOpener& m_urlOpener;
};
