#pragma once

#include <QString>

class MainForm;
class Session;
class TtlForm;

// The start-up sequence of the windowed program: the screen metrics, the
// splash window, the main window and its card, the printers.
class MainProgram {
public:
    // Runs the start-up and leaves the main window shown.
    static void Main(Session& s, MainForm& form, const QString& cardOnCommandLine);
    // Screen size in twips and twips per pixel of the primary screen.
    static void ReadScreenMetrics(Session& s);
};
