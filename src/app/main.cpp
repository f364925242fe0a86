#include "app/commandline.h"
#include "app/mainform.h"
#include "app/mainprogram.h"
#include "app/qtui.h"
#include "base/settings.h"
#include "document/tavormain.h"
#include "print/systemprinter.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <malloc.h>

namespace {

// Qt's PDF writer takes two 10 MB buffers for every page it compresses, and a
// card picture is a few tens of MB. With the allocator's start-up thresholds
// each of them is mapped fresh from the kernel and faulted in page by page,
// and the heap is trimmed and grown again every sheet, which costs more than
// the drawing itself. Fixed at the largest values its own sliding thresholds
// reach, large buffers are reused from the heap instead.
void keepLargeBuffers() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

} // namespace

int main(int argc, char** argv) {
    keepLargeBuffers();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    if (IsSubcommand(args)) {
        // The subcommands need fonts and pictures but no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("qvrs"));
        SystemPrinterHost printers;
        return RunCommandLine(args, printers);
    }

    // Help and version need no display; anything else is read after Qt has
    // taken its own options (-platform, -style …) out of the arguments.
    for (const QString& a : args) {
        if (a == u"--help" || a == u"-h" || a == u"--version")
            return ParseWindowCommand(args).exitStatus;
    }
    QApplication app(argc, argv);
    const WindowCommand command = ParseWindowCommand(QCoreApplication::arguments().mid(1));
    if (command.exitStatus >= 0)
        return command.exitStatus;
    QCoreApplication::setApplicationName(QStringLiteral("qvrs"));
    // Standard dialogs and buttons in the session's language; the program's
    // own texts are Japanese whatever it is.
    InstallQtTranslations(QLocale());
    QtUi ui;
    Settings settings;
    SystemPrinterHost printers;
    TavorMain m(ui, settings, printers);
    MainForm form(m);
    ui.setParent(&form);
    m.setView(&form);
    // A card named on the command line keeps its folder whatever the
    // program's working folder is later.
    const QString card =
        command.card.isEmpty() ? QString() : QFileInfo(command.card).absoluteFilePath();
    MainProgram::Main(m, form, card);
    return app.exec();
}
