// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoginStart.h"

/** The start at login of this system (an autostart entry, or the Run key on Windows) for this program. */
class NativeLoginStart final : public LoginStart
{
public:
    explicit NativeLoginStart(QString executablePath) : m_executablePath(std::move(executablePath)) {}
    bool isOn() const override;
    Result<> setOn(bool on) override;

private:
    QString m_executablePath;
};
