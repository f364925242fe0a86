#pragma once

#include <QString>
#include <QStringList>

class PrinterHost;

// The command line of quillo, parsed in one place for the program and its
// two subcommands (convert, print): --help and --version on each, the same
// wording for the same mistakes, and the exit statuses 0 done, 1 the work
// failed, 2 the command line was wrong.

// What the windowed program is asked to do.
struct WindowCommand {
    // Exit with this status at once (after --help, --version or a mistake);
    // -1 to start the window.
    int exitStatus = -1;
    // The card to open instead of the last one; empty for none.
    QString card;
};

// Parses the arguments of the windowed program (without the program name).
WindowCommand ParseWindowCommand(const QStringList& args);

// Runs a subcommand without a window. Returns the exit status, or -1 when
// args name no subcommand (the windowed program starts then).
int RunCommandLine(const QStringList& args, PrinterHost& printers);

// Whether args (without the program name) start with a subcommand.
bool IsSubcommand(const QStringList& args);
