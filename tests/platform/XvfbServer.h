// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

/** A private Xvfb on a display number it picks itself; stopped when this object goes. */
class XvfbServer
{
public:
    ~XvfbServer();
    /** Starts a single screen of depth 24; empty on success, else why not. */
    QString start(int width, int height);
    /** ":N", for XOpenDisplay or $DISPLAY. */
    const QString& displayName() const { return m_displayName; }
    qint64 processId() const { return m_process.processId(); }

private:
    QProcess m_process;
    QString m_displayName;
};
