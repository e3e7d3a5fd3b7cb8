// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeLoginStart.h"

#include "NativeSystem.h"

bool NativeLoginStart::isOn() const
{
    return NativeSystem::isLoginStartOn();
}

Result<> NativeLoginStart::setOn(bool on)
{
    return NativeSystem::setLoginStart(on, m_executablePath);
}
