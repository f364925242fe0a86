#pragma once

#include "document/merge.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class CardDocument;
class CardSource;
class PrinterChoice;
class QSlider;
class Settings;
class UiServices;
enum class PrintKind;
enum class PrintOutcome;
struct AppState;
struct PrintOptions;

// The print dialog ("印刷"): printer, print kind, number of sheets, cut
// lines and image quality; print, position print and preview. It holds no
// card data: its choices go to the print routines and the preview.
//
// While a print runs the routine lets events run, so the close button can
// discard the job. The dialog is never deleted under a running handler: a
// close asked for meanwhile waits until the handler is done.
class IsForm2 : public QWidget {
    Q_OBJECT
public:
    IsForm2(CardDocument& doc, UiServices& ui, Settings& settings, PrinterChoice& printers,
            AppState& app, QWidget* parent = nullptr);
    ~IsForm2() override;

    // Prints a merge instead of the card alone: each person of the list
    // that the settings select, on cards of their own (差し込み印刷). The
    // sheet count is then each person's.
    void setMerge(std::shared_ptr<const StaffList> list, const MergeSettings& settings);

    int Mais = 1;  // sheets to print, 1..1000
    int IjF = 0;   // 1 while a print or position print from here runs
    int mPKBN = 0; // print kind: 0 standard, 1 text, 2 background

    QComboBox* cmbPrinter;
    QGroupBox* fraKiritori;
    QCheckBox* chkKasen;
    QCheckBox* Check1;
    QGroupBox* fraGashitsu;
    QSlider* sldScreen;
    QLabel* lblHigh;
    QLabel* lblLow;
    QGroupBox* Frame1;
    QLineEdit* Text1;
    QScrollBar* VScroll1;
    QGroupBox* Frame2;
    QLabel* Label1;
    QGroupBox* Frame3;
    std::array<QRadioButton*, 3> optPKBN{};
    QLabel* Label3;
    QPushButton* Command5;
    QPushButton* Command4;
    QPushButton* Command3;
    QPushButton* Command2;
    QPushButton* Command1;
    QLabel* Label2;
    // Under the status line while a job runs: the sheets sent and the job's
    // state in the print system.
    QProgressBar* prgJob;

signals:
    // A print or position print ended: what it did, in a sentence for the
    // main window's status bar ("3枚を印刷しました：…").
    void printed(const QString& what);

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void optPKBN_Click(int index);
    void chkKasen_Click();
    void Check1_Click();
    void cmbPrinter_Click(int index);
    void Text1_LostFocus();
    void VScroll1_Change(int value);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses "印刷", or the button that has the focus.
    void keyPressEvent(QKeyEvent* event) override;
    // Swallows Enter in the sheet count: the count is taken when the field
    // loses the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void showResolution();
    // The controls a running job must not touch, the printer list included.
    void setJobControlsEnabled(bool enabled);
    // Makes the listed printer chosen in cmbPrinter the one in use, unless it
    // already is (which keeps what the printer settings dialog set on it).
    void useChosenPrinter();
    // For the built-in PDF printer: asks for the file; false when cancelled.
    bool chooseOutputFile();
    // The start shared by the print and the position print: controls off,
    // the chosen printer, the output file, PreparePrinter. False when the
    // job does not go on (the handler has then ended).
    bool beginJob();
    // Runs the print routine with the progress shown and events let run
    // after every sheet and while the print system takes the job.
    PrintOutcome runJob(PrintKind kind, int sheets, bool cutMarks);
    void discardRunningJob();
    // Ends a handler that let events run; closes the dialog when asked to,
    // or when a close came while it ran.
    void endHandler(bool unload);

    // The choices a print keeps for the next one: kind, cut lines, sheets.
    void rememberChoices();
    // Says what the job did (printed), for the status bar.
    void reportOutcome(PrintOutcome outcome, PrintKind kind, int sheets);

    // What the print routines and the preview are told besides the card.
    PrintOptions printOptions(PrintKind kind, bool cutMarks) const;
    // The cards of a print or preview of `sheets` sheets (each person's, in
    // a merge); the picture as prepared for the kind.
    std::unique_ptr<CardSource> cardSource(int sheets) const;
    // Outside a merge: asks before printing a card whose lines do not fit.
    bool fitReady();
    // In a merge: false, after saying why, when it cannot go on; asks about
    // people whose card has a problem.
    bool mergeReady();

    CardDocument& m_doc;
    UiServices& m_ui;
    Settings& m_settings;
    PrinterChoice& m_printers;
    AppState& m_app;
    std::shared_ptr<const StaffList> m_staff;
    MergeSettings m_merge;
    bool m_handlerRunning = false;
    bool m_closePending = false;
    QString m_outputFile; // the PDF printer's file of the running job
};
