// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// The tests that write real files run on Linux and, built for Windows, under Wine: each on the file
// system of the system it was built for.
#ifdef Q_OS_WIN
#include "WindowsFileSystem.h"
using NativeFileSystem = WindowsFileSystem;
#else
#include "PosixFileSystem.h"
using NativeFileSystem = PosixFileSystem;
#endif
