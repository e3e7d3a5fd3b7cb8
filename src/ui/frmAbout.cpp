// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAbout.h"

#include "DialogParts.h"
#include "ProgramIcon.h"
#include "TwipsLayout.h"
#include "UrlOpener.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

const QUrl frmAbout::WebAddress(QStringLiteral("https://tessaly.org"));

frmAbout::frmAbout(QWidget& mainWindow, UrlOpener& urlOpener)
    : QuasiModalDialog(&mainWindow, QStringLiteral("About")), m_urlOpener(urlOpener)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);

    picIcon = DialogParts::named(new QLabel(this), "picIcon");
    picIcon->setPixmap(ProgramIcon::icon().pixmap(QSize(32, 32)));
    picIcon->setAlignment(Qt::AlignCenter);
    lblTitle = DialogParts::named(new QLabel(QStringLiteral("Tessaly"), this), "lblTitle");
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    lblVersion0 = DialogParts::named(
        new QLabel(QStringLiteral("version ") + QCoreApplication::applicationVersion(), this), "lblVersion0");
    lblVersion1 = DialogParts::named(new QLabel(QStringLiteral("Free software under the GNU GPL 3+."), this),
                                     "lblVersion1");
    auto* line = DialogParts::named(new QFrame(this), "Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    Line1 = line;
    Website = DialogParts::named(new QPushButton(QStringLiteral("Project page"), this), "Website");
    cmdOK = DialogParts::named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);

    const double pixelsPerTwip = TwipsLayout::pixelsPerTwip(font());
    TwipsLayout::place(this, "picIcon", {240, 240, 480, 480}, pixelsPerTwip);
    TwipsLayout::place(this, "lblTitle", {1080, 240, 2355, 315}, pixelsPerTwip);
    TwipsLayout::place(this, "lblVersion0", {1080, 600, 1245, 225}, pixelsPerTwip);
    TwipsLayout::place(this, "lblVersion1", {240, 960, 3165, 225}, pixelsPerTwip);
    // The rule runs from (120, 1560) to (3480, 1560); the frame needs a few pixels of height.
    TwipsLayout::place(this, "Line1", {120, 1530, 3360, 60}, pixelsPerTwip);
    TwipsLayout::place(this, "Website", {120, 1680, 1620, 345}, pixelsPerTwip);
    TwipsLayout::place(this, "cmdOK", {2280, 1680, 1260, 345}, pixelsPerTwip);
    setFixedSize(TwipsLayout::toPixels({0, 0, 3675, 2220}, pixelsPerTwip).size());

    connect(Website, &QPushButton::clicked, this, &frmAbout::Website_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::close);
}

void frmAbout::Website_Click()
{
    // Whether a browser came up is not reported: the box stays open either way.
    m_urlOpener.open(WebAddress);
}
