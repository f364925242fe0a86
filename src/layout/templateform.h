#pragma once

#include "templates.h"

#include <QDialog>

class QGroupBox;
class QListWidget;
class QPushButton;
class UiServices;

// The template chooser "テンプレートの選択": the templates of the template file
// by name. Modal; the print style editor applies the one chosen.
class frmFormat : public QDialog {
    Q_OBJECT
public:
    // Reads the file at once; a file that cannot be read is reported through
    // ui, and the list keeps the templates read before the error.
    frmFormat(UiServices& ui, const QString& templateFile, QWidget* parent = nullptr);

    // The templates of the file, one per list entry.
    QList<TKFormat> TKFormats;
    // The template chosen with "OK"; −1 after "ｷｬﾝｾﾙ", Escape or the close
    // box, which choose nothing.
    int TKFormatIdx = -1;

    QGroupBox* Frame1;
    QListWidget* lstFormat;
    QPushButton* Command1;
    QPushButton* Command2;

    void Command1_Click();
    void Command2_Click();

private:
    void Set_ListBox(UiServices& ui, const QString& templateFile);
};
