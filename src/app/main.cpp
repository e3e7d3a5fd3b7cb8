// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "CommandLineClient.h"
#include "ProcessMemory.h"
#include "TessalyApp.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    ProcessMemory::keepLargeBuffersApart();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments, QStringLiteral(TESSALY_VERSION));
    if (commandLine.action != CommandLine::Action::Start)
        return CommandLineClient::run(commandLine, argc, argv);
    if (!TessalyApp::displayAvailable()) {
        std::fputs("Tessaly needs a graphical desktop and none was found; to try it without one, run it "
                   "under Xvfb: xvfb-run -a tessaly\n",
                   stderr);
        return 1;
    }
    TessalyApp app(argc, argv, commandLine.startedForAdd);
    return app.run();
}
