// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDialog.h"

#include "DialogParts.h"
#include "ProgramIcon.h"
#include "UrlOpener.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

const QUrl AboutDialog::WebAddress(QStringLiteral("https://tessaly.org"));

AboutDialog::AboutDialog(QWidget* parent, UrlOpener& urlOpener) : QDialog(parent), m_urlOpener(urlOpener)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* icon = DialogParts::named(new QLabel(this), "programIcon");
    const int side = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    icon->setPixmap(ProgramIcon::icon().pixmap(QSize(side, side), devicePixelRatio()));
    auto* title = DialogParts::named(new QLabel(QStringLiteral("Tessaly"), this), "titleLabel");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* version = DialogParts::named(
        new QLabel(QStringLiteral("version ") + QCoreApplication::applicationVersion(), this),
        "versionLabel");
    auto* notice = new QLabel(QStringLiteral("Free software under the GNU GPL 3+."), this);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QDialogButtonBox(this);
    auto* website =
        DialogParts::named(new QPushButton(QStringLiteral("Project page"), this), "websiteButton");
    website->setAutoDefault(false);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("okButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 1, 1, Qt::AlignTop);
    grid->addWidget(notice, 2, 0, 1, 2);
    grid->addWidget(rule, 3, 0, 1, 2);
    // The web page on the left, OK on the right, whatever order the platform gives button boxes.
    grid->addWidget(website, 4, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(buttons, 4, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    DialogParts::openAt(this, QSize(245, 148));

    // Whether a browser came up is not reported: the box stays open either way.
    connect(website, &QPushButton::clicked, this, [this] { m_urlOpener.open(WebAddress); });
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDialog::accept);
}
