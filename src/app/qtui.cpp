#include "qtui.h"

#include "document/card.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

bool InstallQtTranslations(const QLocale& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qt" gathers the catalogues of every Qt module (qtbase and the rest).
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

UiServices::Answer QtUi::messageBox(const QString& text, const QString& title, Buttons buttons,
                                    const QString& detail) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
    case Ok:
        qtButtons = QMessageBox::Ok;
        break;
    case YesNoCancel:
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case YesNo:
        qtButtons = QMessageBox::Yes | QMessageBox::No;
        break;
    case OkCancel:
        qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    }
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QMessageBox box(buttons == Ok ? QMessageBox::Information : QMessageBox::Question, title,
                    shown.trimmed(), qtButtons, m_parent);
    // The reason a print system gave goes under the text, the text itself
    // staying as the program words it.
    if (!detail.trimmed().isEmpty())
        box.setInformativeText(detail.trimmed());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Ok:
        return AnswerOk;
    default:
        return AnswerCancel;
    }
}

void QtUi::beep() {
    QApplication::beep();
}

void QtUi::processEvents() {
    QApplication::processEvents();
}

void QtUi::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::optional<quint32> QtUi::chooseColor(quint32 initial) {
    const QColor c = QColorDialog::getColor(ColorFromRgb(initial), m_parent);
    if (!c.isValid())
        return std::nullopt;
    return RgbFromColor(c);
}

QString QtUi::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')'));
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtUi::openFileName(const QString& initial, const QString& filter) {
    const QString name =
        QFileDialog::getOpenFileName(m_parent, QString(), initial, qtFilter(filter));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtUi::saveFileName(const QString& initial, const QString& filter,
                                          const QString& defaultSuffix) {
    QFileDialog dialog(m_parent, QString(), initial, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // A name typed without an ending gets the ending of the chosen kind: the
    // "Jpegﾌｧｲﾙ" entry exports "card" as card.jpg, not a card file.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        const qsizetype star = f.lastIndexOf(QLatin1String("*."));
        if (star >= 0)
            dialog.setDefaultSuffix(f.mid(star + 2).chopped(f.endsWith(u')') ? 1 : 0));
    });
    if (!initial.isEmpty())
        dialog.selectFile(initial);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}
