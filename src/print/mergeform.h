#pragma once

#include "document/merge.h"

#include <QWidget>
#include <memory>
#include <vector>

class CardCanvas;
class CardDocument;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;
class StaffTableModel;
class UiServices;

// The merge window 「差し込み印刷」: the staff list merged into the card's
// {fields}. It shows the list with a check box for each person and marks
// the people whose card has a problem; ◀ ▶ step through the people while
// the canvas shows each one's card; a button for each column puts its field
// into the current line (fieldChosen). The file and the options are kept in
// the card, so that reopening the card restores the merge.
class MergeForm : public QWidget {
    Q_OBJECT
public:
    MergeForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent = nullptr);
    ~MergeForm() override;

    // Reads the staff list at path as the card's list (the file button).
    bool loadList(const QString& path);
    // Shows person `record` (from 0) on the canvas.
    void showPerson(int record);
    int shownPerson() const { return m_shown; }
    const StaffList* staff() const { return m_staff.get(); }
    MergeSettings settings() const;

    QLineEdit* fileField;
    QPushButton* fileButton;
    QRadioButton* sheetsEachOption;
    QSpinBox* sheetsField;
    QRadioButton* oneEachOption;
    QTableView* table;
    QWidget* fieldButtons;
    QPushButton* previousButton;
    QLabel* personLabel;
    QPushButton* nextButton;
    QPushButton* printButton;
    QPushButton* closeButton;

signals:
    // A column's field for the current line: "{column}".
    void fieldChosen(const QString& field);
    // Print the merge as the window has it now.
    void printRequested(std::shared_ptr<const StaffList> list, const MergeSettings& settings);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseFile();
    void settingsChanged(bool mergeable);
    void showList();

    CardDocument& m_doc;
    UiServices& m_ui;
    CardCanvas* m_canvas;
    std::shared_ptr<const StaffList> m_staff;
    StaffTableModel* m_model = nullptr;
    int m_shown = -1;
};
