#pragma once

#include <QStringList>

class PrinterHost;

// The subcommands that work without a window. Returns the exit status, or -1
// when args name no subcommand (the windowed program starts then).
int RunCommandLine(const QStringList& args, PrinterHost& printers);

// Whether args (without the program name) start with a subcommand.
bool IsSubcommand(const QStringList& args);
