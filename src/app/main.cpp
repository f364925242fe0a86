#include "app/commandline.h"
#include "app/mainform.h"
#include "app/mainprogram.h"
#include "app/qtui.h"
#include "app/session.h"
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
