#include "app/commandline.h"
#include "app/mainform.h"
#include "app/mainprogram.h"
#include "app/qtui.h"
#include "app/session.h"
#include "base/filenames.h"
#include "base/settings.h"
#include "base/startup.h"
#include "browser/browserfiles.h"
#include "print/systemprinter.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

int main(int argc, char** argv) {
    KeepLargeBuffers();
    // Arguments name files: bytes that are not UTF-8 are kept as they are.
    const auto arguments = [&argc, argv] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(FileNameFromNative(QByteArray(argv[i])));
        return list;
    };
    const QStringList args = arguments();

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
    // Qt takes its own options out of argv.
    QApplication app(argc, argv);
    const WindowCommand command = ParseWindowCommand(arguments());
    if (command.exitStatus >= 0)
        return command.exitStatus;
    LoadPictureReadersInBackground();
    LoadFileOrderInBackground();
    QCoreApplication::setApplicationName(QStringLiteral("qvrs"));
    // Standard dialogs and buttons in the session's language; the program's
    // own texts are Japanese whatever it is.
    InstallQtTranslations(QLocale());
    QtUi ui;
    Settings settings;
    SystemPrinterHost printers;
    Session s(ui, settings, printers);
    MainForm form(s);
    ui.setParent(&form);
    // A card named on the command line keeps its folder whatever the
    // program's working folder is later.
    const QString card =
        command.card.isEmpty() ? QString() : QFileInfo(command.card).absoluteFilePath();
    MainProgram::Main(s, form, card);
    return app.exec();
}
