#include "printdialog.h"

#include "base/appstate.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "base/uiservices.h"
#include "cardsource.h"
#include "document/carddocument.h"
#include "editor/itemlayout.h"
#include "editor/logofile.h"
#include "mergesource.h"
#include "picture/cardpicture.h"
#include "preview.h"
#include "printerpaper.h"
#include "printjob.h"
#include "systemprinter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The quality slider: render scales 1 (screen resolution) to 8. It opens at
// the scale of the last print or preview; ImgScale is 1 until one sets it,
// and the dialog then offers 4, about 430 pixels an inch on the card.
constexpr int LowQuality = 1;
constexpr int HighQuality = 8;
constexpr int DefaultQuality = 4;

const QString Opt = QStringLiteral("opt");
const QString PdfDevice = PrinterHost::BuiltInPdfName();

QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A check box from a setting that holds 0 or 1; any other value clears it.
bool flagSetting(Settings& settings, const QString& key) {
    try {
        return std::nearbyint(settings.number(Opt, key, 0)) == 1;
    } catch (const RuntimeError&) {
        return false;
    }
}

} // namespace

IsForm2::IsForm2(CardDocument& doc, UiServices& ui, Settings& settings, PrinterChoice& printers,
                 AppState& app, QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_ui(ui), m_settings(settings), m_printers(printers),
      m_app(app) {
    setObjectName(QStringLiteral("IsForm2"));
    setWindowTitle(QStringLiteral("印刷"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    // Escape is the "閉じる" button, which keeps the options and cancels a
    // running job, rather than a plain close.
    setProperty("escapeButton", QVariant::fromValue<QObject*>(Command1));
    Form_Load();
}

IsForm2::~IsForm2() {
    // The children are hidden as the dialog goes, which ends the sheet
    // count's editing: its signal must not reach what is left of the dialog.
    Text1->disconnect(this);
}

void IsForm2::buildControls() {
    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    Label3 = named(new QLabel(QStringLiteral("出力先"), this), "Label3");
    cmbPrinter = named(new QComboBox(this), "cmbPrinter");
    cmbPrinter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label3->setBuddy(cmbPrinter);

    Frame3 = named(new QGroupBox(QStringLiteral("印刷区分"), this), "Frame3");
    auto* kinds = new QVBoxLayout(Frame3);
    const QString kindNames[3] = {QStringLiteral("標準印刷"), QStringLiteral("文字印刷"),
                                  QStringLiteral("背景印刷")};
    for (int k = 0; k < 3; ++k) {
        optPKBN[k] = new QRadioButton(kindNames[k], Frame3);
        optPKBN[k]->setObjectName(QStringLiteral("optPKBN_%1").arg(k));
        kinds->addWidget(optPKBN[k]);
        connect(optPKBN[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                optPKBN_Click(k);
        });
    }

    fraKiritori = named(new QGroupBox(QStringLiteral("切取り線"), this), "fraKiritori");
    auto* cuts = new QVBoxLayout(fraKiritori);
    Check1 = named(new QCheckBox(QStringLiteral("使用する"), fraKiritori), "Check1");
    chkKasen = named(new QCheckBox(QStringLiteral("最下線も出力"), fraKiritori), "chkKasen");
    cuts->addWidget(Check1);
    cuts->addWidget(chkKasen);
    cuts->addStretch(1);
    connect(Check1, &QCheckBox::toggled, this, &IsForm2::Check1_Click);
    connect(chkKasen, &QCheckBox::clicked, this, &IsForm2::chkKasen_Click);

    Frame1 = named(new QGroupBox(QStringLiteral("印刷枚数"), this), "Frame1");
    auto* sheets = new QHBoxLayout(Frame1);
    sheets->setSpacing(0);
    Text1 = named(new QLineEdit(Frame1), "Text1");
    Text1->setAlignment(Qt::AlignRight);
    Text1->setMaxLength(4);
    Text1->setFixedWidth(Text1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    Text1->setAttribute(Qt::WA_InputMethodEnabled, false);
    VScroll1 = named(new QScrollBar(Qt::Vertical, Frame1), "VScroll1");
    // At rest on 1: the upper arrow moves it to 0, the lower one to 2.
    VScroll1->setRange(0, 2);
    VScroll1->setPageStep(1);
    VScroll1->setValue(1);
    VScroll1->setFixedHeight(Text1->sizeHint().height());
    sheets->addWidget(Text1);
    sheets->addWidget(VScroll1);
    sheets->addSpacing(6);
    sheets->addWidget(new QLabel(QStringLiteral("枚"), Frame1));
    sheets->addStretch(1);
    // Enter is swallowed (eventFilter), so this is the focus leaving.
    connect(Text1, &QLineEdit::editingFinished, this, &IsForm2::Text1_LostFocus);
    Text1->installEventFilter(this);
    connect(VScroll1, &QScrollBar::valueChanged, this, &IsForm2::VScroll1_Change);

    Frame2 = named(new QGroupBox(QStringLiteral("印刷品質"), this), "Frame2");
    auto* resolution = new QHBoxLayout(Frame2);
    Label1 = named(new QLabel(Frame2), "Label1");
    resolution->addWidget(Label1);

    fraGashitsu = named(new QGroupBox(QStringLiteral("画質"), this), "fraGashitsu");
    auto* quality = new QHBoxLayout(fraGashitsu);
    lblLow = named(new QLabel(QStringLiteral("低"), fraGashitsu), "lblLow");
    lblHigh = named(new QLabel(QStringLiteral("高"), fraGashitsu), "lblHigh");
    sldScreen = named(new QSlider(Qt::Horizontal, fraGashitsu), "sldScreen");
    sldScreen->setRange(LowQuality, HighQuality);
    sldScreen->setPageStep(1);
    sldScreen->setTickPosition(QSlider::TicksBelow);
    sldScreen->setTickInterval(1);
    quality->addWidget(lblLow);
    quality->addWidget(sldScreen, 1);
    quality->addWidget(lblHigh);

    Label2 = named(new QLabel(this), "Label2");
    Label2->setMinimumHeight(Label2->fontMetrics().height());
    prgJob = named(new QProgressBar(this), "prgJob");
    prgJob->setTextVisible(true);
    prgJob->setVisible(false);

    Command5 = named(new QPushButton(QStringLiteral("プレビュー"), this), "Command5");
    Command4 = named(new QPushButton(QStringLiteral("位置印刷"), this), "Command4");
    Command3 = named(new QPushButton(QStringLiteral("ﾌﾟﾘﾝﾀの設定"), this), "Command3");
    Command2 = named(new QPushButton(QStringLiteral("印刷"), this), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("閉じる"), this), "Command1");
    connect(Command1, &QPushButton::clicked, this, &IsForm2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &IsForm2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &IsForm2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &IsForm2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &IsForm2::Command5_Click);
    connect(cmbPrinter, &QComboBox::activated, this, &IsForm2::cmbPrinter_Click);

    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(Label3);
    printerRow->addWidget(cmbPrinter, 1);
    printerRow->addWidget(Command3);

    auto* grid = new QGridLayout;
    grid->addWidget(Frame3, 0, 0, 2, 1);
    grid->addWidget(Frame1, 0, 1);
    grid->addWidget(Frame2, 0, 2);
    grid->addWidget(fraKiritori, 1, 1, 1, 2);
    grid->addWidget(fraGashitsu, 2, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command5);
    buttons->addWidget(Command4);
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addLayout(grid);
    layout->addWidget(Label2);
    layout->addWidget(prgJob);
    layout->addLayout(buttons);
    Command2->setDefault(true);
}

void IsForm2::Form_Load() {
    if (QWidget* owner = parentWidget())
        move(owner->window()->pos() + QPoint(18, 18));

    Mais = 1;
    IjF = 0;
    optPKBN[0]->setChecked(true);
    mPKBN = 0;
    Text1->setText(QString::number(Mais));
    showResolution();
    Command1->setEnabled(true);
    VScroll1->setValue(1);
    sldScreen->setValue(m_app.ImgScale > 1 ? qBound(LowQuality, m_app.ImgScale, HighQuality)
                                           : DefaultQuality);

    // The sheets and the kind of the last print. Text print when the
    // card's picture is not in use; a setting that is no number leaves the
    // standard print.
    try {
        const double sheets = m_settings.number(Opt, QStringLiteral("Sheets"), 1);
        if (sheets >= 1 && sheets <= MaxSheets)
            Mais = int(std::nearbyint(sheets));
        Text1->setText(QString::number(Mais));
    } catch (const RuntimeError&) {
    }
    try {
        const double haikei = m_settings.number(Opt, QStringLiteral("HaikeiFlg"), 1);
        int kind = 0;
        try {
            kind = int(std::nearbyint(m_settings.number(Opt, QStringLiteral("PrintKind"), 0)));
        } catch (const RuntimeError&) {
        }
        if (kind < 0 || kind > 2)
            kind = 0;
        optPKBN[std::nearbyint(haikei) == 1 ? kind : 1]->setChecked(true);
    } catch (const RuntimeError&) {
    }
    chkKasen->setChecked(flagSetting(m_settings, QStringLiteral("KiritoriFlag")));
    Check1->setChecked(flagSetting(m_settings, QStringLiteral("KiritoriFlag0")));
    Check1_Click();

    cmbPrinter->addItems(m_printers.PrinterList);
    try {
        const int current = cmbPrinter->findText(m_printers.printer().DeviceName());
        if (current >= 0)
            cmbPrinter->setCurrentIndex(current);
    } catch (const RuntimeError&) {
        Label1->setText(QStringLiteral("-"));
    }
    setJobControlsEnabled(true);
}

void IsForm2::setMerge(std::shared_ptr<const StaffList> list, const MergeSettings& settings) {
    m_staff = std::move(list);
    m_merge = settings;
    setWindowTitle(QStringLiteral("差し込み印刷"));
    const qsizetype people = SelectedRecords(settings, int(m_staff->rows.size())).size();
    Frame1->setTitle(settings.oneEach ? QStringLiteral("一人１枚ずつ")
                                      : QStringLiteral("一人あたりの枚数"));
    Mais = std::clamp(settings.sheets, 1, MaxSheets);
    Text1->setText(QString::number(Mais));
    for (QWidget* w : std::initializer_list<QWidget*>{Text1, VScroll1})
        w->setVisible(!settings.oneEach);
    Label2->setText(QStringLiteral("%1人分").arg(people));
}

std::unique_ptr<CardSource> IsForm2::cardSource(int sheets) const {
    if (!m_staff)
        return std::make_unique<SameCardSource>(m_doc.card, m_doc.pictureImage(), m_doc.logoImage(),
                                                sheets);
    const int positions = int(PlanSheet(m_doc.card.PrintStyle, false, false).size());
    return std::make_unique<MergeSource>(
        m_doc.card, m_doc.pictureImage(), m_doc.logoImage(), *m_staff,
        SelectedRecords(m_merge, int(m_staff->rows.size())), m_merge.oneEach, sheets, positions);
}

bool IsForm2::mergeReady() {
    if (!m_staff)
        return true;
    const QStringList unknown = UnknownFields(m_doc.card, *m_staff);
    if (!unknown.isEmpty()) {
        m_ui.message(QStringLiteral("名簿にない列の名前があります。\r\n") +
                     unknown.join(QStringLiteral("\r\n")));
        return false;
    }
    const QList<int> records = SelectedRecords(m_merge, int(m_staff->rows.size()));
    if (records.isEmpty()) {
        m_ui.message(QStringLiteral("印刷する人が選ばれていません。"));
        return false;
    }
    QStringList problems;
    for (qsizetype k = 0; k < records.size(); ++k) {
        const QString problem = MergeProblem(m_doc.card, *m_staff, records[k]);
        if (!problem.isEmpty())
            problems.append(QStringLiteral("%1件目: %2").arg(records[k] + 1).arg(problem));
        if (k % 50 == 49)
            m_ui.processEvents();
    }
    if (problems.isEmpty())
        return true;
    const qsizetype shown = std::min<qsizetype>(problems.size(), 10);
    QString text = QStringLiteral("次の人の名刺に問題があります。\r\n") +
                   problems.mid(0, shown).join(QStringLiteral("\r\n"));
    if (problems.size() > shown)
        text += QStringLiteral("\r\nほか %1人").arg(problems.size() - shown);
    return m_ui.messageBox(text + QStringLiteral("\r\nこのまま印刷しますか？"), UiServices::title(),
                           UiServices::YesNo) == UiServices::AnswerYes;
}

PrintOptions IsForm2::printOptions(PrintKind kind, bool cutMarks) const {
    PrintOptions o;
    o.kind = kind;
    o.cutMarks = cutMarks;
    o.bottomMarks = flagSetting(m_settings, QStringLiteral("KiritoriFlag"));
    o.image.scale = m_app.ImgScale;
    o.image.twipsPerPixelX = m_app.TppX;
    o.image.twipsPerPixelY = m_app.TppY;
    return o;
}

void IsForm2::showResolution() {
    try {
        Label1->setText(QString::number(m_printers.printer().PrintQuality()) +
                        QStringLiteral(" dpi"));
    } catch (const RuntimeError&) {
        Label1->setText(QStringLiteral("-"));
    }
}

void IsForm2::setJobControlsEnabled(bool enabled) {
    bool systemPrinters = false;
    for (const QString& name : m_printers.PrinterList)
        systemPrinters = systemPrinters || name != PdfDevice;
    for (QWidget* w : std::initializer_list<QWidget*>{Command2, Text1, VScroll1, Check1, Command4,
                                                      Command5, cmbPrinter})
        w->setEnabled(enabled);
    // The printer settings are the system printers' own; the PDF printer has none.
    Command3->setEnabled(enabled && systemPrinters);
    Check1_Click();
}

void IsForm2::Text1_LostFocus() {
    bool ok = false;
    const double n = std::nearbyint(Text1->text().trimmed().toDouble(&ok));
    if (ok && n > 0 && n <= MaxSheets)
        Mais = int(n);
    else if (Text1->text() != QString::number(Mais))
        m_ui.beep();
    Text1->setText(QString::number(Mais));
}

void IsForm2::VScroll1_Change(int value) {
    if (value == 1)
        return;
    const int wanted = value < 1 ? Mais + 1 : Mais - 1;
    Mais = qBound(1, wanted, MaxSheets);
    if (Mais != wanted)
        m_ui.beep();
    Text1->setText(QString::number(Mais));
    const QSignalBlocker quiet(VScroll1);
    VScroll1->setValue(1);
}

void IsForm2::optPKBN_Click(int index) {
    mPKBN = index;
    // The image quality is that of the rendered card, which only the
    // standard print uses.
    const bool rendered = index == 0;
    for (QWidget* w : std::initializer_list<QWidget*>{fraGashitsu, sldScreen, lblLow, lblHigh})
        w->setEnabled(rendered);
}

void IsForm2::chkKasen_Click() {
    m_settings.setText(Opt, QStringLiteral("KiritoriFlag"), flagText(chkKasen->isChecked()));
}

void IsForm2::Check1_Click() {
    // The bottom line belongs to the cut lines: without them it has no effect.
    chkKasen->setEnabled(Check1->isEnabled() && Check1->isChecked());
}

void IsForm2::cmbPrinter_Click(int) {
    useChosenPrinter();
    showResolution();
}

void IsForm2::useChosenPrinter() {
    const QString name = cmbPrinter->currentText();
    if (name.isEmpty())
        return;
    try {
        if (m_printers.hasPrinter() && m_printers.printer().DeviceName() == name)
            return;
    } catch (const RuntimeError&) {
    }
    m_printers.selectPrinter(name); // a printer that cannot be opened leaves the one in use
}

bool IsForm2::chooseOutputFile() {
    Printer* printer = nullptr;
    try {
        printer = &m_printers.printer();
    } catch (const RuntimeError&) {
        return true; // PreparePrinter reports it
    }
    if (printer->DeviceName() != PdfDevice)
        return true;
    // Beside the card, under its name; a card not yet saved by the user
    // lives in the program's data folder, so its PDF goes to the home folder.
    const QFileInfo card(m_doc.CardPath);
    QString title = card.completeBaseName();
    if (title.isEmpty())
        title = QStringLiteral("Data00");
    const bool ownFolder =
        m_doc.CardPath.isEmpty() ||
        card.absolutePath() == QFileInfo(DataFolderPath(m_app)).absoluteFilePath();
    const QDir folder(ownFolder ? QDir::homePath() : card.absolutePath());
    const auto name = m_ui.saveFileName(folder.filePath(title + QStringLiteral(".pdf")),
                                        QStringLiteral("PDF|*.pdf|"), QStringLiteral("pdf"));
    if (!name)
        return false;
    printer->setOutputFile(*name);
    m_outputFile = *name;
    return true;
}

bool IsForm2::beginJob() {
    m_handlerRunning = true;
    Label2->setText(QStringLiteral("データ転送中．．．"));
    setJobControlsEnabled(false);
    useChosenPrinter();
    IjF = 1;
    m_outputFile.clear();
    // A print that cannot go on (no print style, a paper the printer does
    // not have) says so before the PDF printer asks for a file name.
    if (!PreparePrinter(m_printers, m_ui, m_doc.card, m_app.IsfkX)) {
        endHandler(true);
        return false;
    }
    if (!chooseOutputFile()) {
        endHandler(false);
        return false;
    }
    return true;
}

PrintOutcome IsForm2::runJob(PrintKind kind, int sheets, bool cutMarks) {
    Printer* printer = nullptr;
    try {
        printer = &m_printers.printer();
    } catch (const RuntimeError&) {
        return PrintOutcome::Failed; // no printer at all: PreparePrinter said so
    }
    QString sheetText;
    const auto showSheets = [&](int done, int total) {
        sheetText = QStringLiteral("%1／%2枚").arg(done).arg(total);
        prgJob->setRange(0, total);
        prgJob->setValue(done);
        prgJob->setFormat(sheetText);
    };
    showSheets(0, sheets);
    prgJob->setVisible(true);
    const auto progress = [&](int done, int total) {
        showSheets(done, total);
        m_ui.processEvents(); // the close button may discard the job here
    };
    printer->setJobWatch([&](const QString& state) {
        prgJob->setFormat(sheetText + QStringLiteral("　") + state);
        m_ui.processEvents();
    });
    PrintOutcome outcome = PrintOutcome::Failed;
    try {
        if (KindPrintsPicture(kind))
            PrepareCardPicture(m_doc, m_ui, m_app);
        if (KindPrintsLogo(kind))
            PrepareCardLogo(m_doc, m_ui);
        const std::unique_ptr<CardSource> cards = cardSource(sheets);
        showSheets(0, cards->sheetCount());
        outcome = PrintCard(m_printers, m_ui, m_doc.card.PrintStyle,
                            PrinterOffsets{m_app.IsfkY, m_app.IsfkX}, *cards,
                            printOptions(kind, cutMarks), progress);
    } catch (const RuntimeError&) {
    }
    printer->setJobWatch({});
    prgJob->setVisible(false);
    return outcome;
}

// A card with a line past its edge or under the QR code prints only when the
// user says so; a merge asks about each person's card instead.
bool IsForm2::fitReady() {
    if (m_staff)
        return true;
    const QStringList problems = DescribeCardFit(CheckCardFit(m_doc.card));
    if (problems.isEmpty())
        return true;
    return m_ui.messageBox(problems.join(QStringLiteral("\r\n")) +
                               QStringLiteral("\r\nこのまま印刷しますか？"),
                           UiServices::title(), UiServices::YesNo) == UiServices::AnswerYes;
}

void IsForm2::rememberChoices() {
    m_settings.setText(Opt, QStringLiteral("KiritoriFlag"), flagText(chkKasen->isChecked()));
    m_settings.setText(Opt, QStringLiteral("KiritoriFlag0"), flagText(Check1->isChecked()));
    m_settings.setText(Opt, QStringLiteral("PrintKind"), QString::number(mPKBN));
    m_settings.setText(Opt, QStringLiteral("Sheets"), QString::number(Mais));
}

void IsForm2::reportOutcome(PrintOutcome outcome, PrintKind kind, int sheets) {
    if (outcome == PrintOutcome::Failed)
        return; // the failure was shown with its reason
    if (outcome == PrintOutcome::Discarded) {
        emit printed(QStringLiteral("印刷を中止しました。"));
        return;
    }
    QString where = m_outputFile;
    try {
        Printer& printer = m_printers.printer();
        if (where.isEmpty())
            where = printer.JobRequestId().isEmpty()
                        ? printer.DeviceName()
                        : QStringLiteral("%1（ジョブ %2）")
                              .arg(printer.DeviceName(), printer.JobRequestId());
    } catch (const RuntimeError&) {
    }
    emit printed(kind == PrintKind::Positions
                     ? QStringLiteral("位置印刷しました：%1").arg(where)
                     : QStringLiteral("%1枚を印刷しました：%2").arg(sheets).arg(where));
}

void IsForm2::Command2_Click() {
    if (!fitReady() || !mergeReady())
        return;
    // The choices are kept as the print starts, whatever becomes of it.
    rememberChoices();
    if (!beginJob())
        return;
    m_ui.setBusy(true);
    if (PrintKind(mPKBN) == PrintKind::Standard)
        m_app.ImgScale = sldScreen->value();
    const PrintOutcome outcome = runJob(PrintKind(mPKBN), Mais, Check1->isChecked());
    m_ui.setBusy(false);
    reportOutcome(outcome, PrintKind(mPKBN), Mais);
    // A failed print keeps the dialog and its choices, to try again or on
    // another printer; the failure was shown with its reason.
    endHandler(outcome != PrintOutcome::Failed);
}

void IsForm2::Command4_Click() {
    if (!beginJob())
        return;
    reportOutcome(runJob(PrintKind::Positions, 1, true), PrintKind::Positions, 1);
    endHandler(false);
}

void IsForm2::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* button = focused ? focused : Command2;
        if (button->isEnabled())
            button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool IsForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void IsForm2::Command5_Click() {
    m_handlerRunning = true;
    if (!SetupPreviewPaper(m_printers, m_ui, m_doc.card, m_app.IsfkX)) {
        endHandler(true);
        return;
    }
    // Rendering lets events run: no print may start meanwhile.
    setJobControlsEnabled(false);
    m_ui.setBusy(true);
    Label2->setText(QStringLiteral("プレビュー画面作成中・・・"));
    m_ui.processEvents();
    m_app.ImgScale = sldScreen->value();
    {
        const PrintKind kind = PrintKind(mPKBN);
        if (kind != PrintKind::Text)
            PrepareCardPicture(m_doc, m_ui, m_app);
        if (KindPrintsLogo(kind))
            PrepareCardLogo(m_doc, m_ui);
        const std::unique_ptr<CardSource> cards = cardSource(1);
        frmPREVIEW preview(m_doc.card.PrintStyle, *cards, printOptions(kind, Check1->isChecked()),
                           m_ui, this);
        Label2->clear();
        m_ui.setBusy(false);
        if (!m_closePending)
            preview.exec();
    }
    endHandler(false);
}

void IsForm2::Command3_Click() {
    try {
        // Set up on a printer of its own: the one in use keeps its settings
        // when the dialog is cancelled.
        QPrinterInfo info = QPrinterInfo::printerInfo(m_printers.printer().DeviceName());
        if (info.isNull())
            info = QPrinterInfo::defaultPrinter();
        auto printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                     : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        QPrintDialog dialog(printer.get(), this);
        dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
        dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
        // A set-up, not a print: its accept button says so.
        if (auto* box = dialog.findChild<QDialogButtonBox*>())
            if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
                ok->setText(QStringLiteral("OK"));
        if (dialog.exec() != QDialog::Accepted || printer->outputFormat() != QPrinter::NativeFormat)
            return;
        const QString name = printer->printerName();
        m_printers.setPrinter(std::make_unique<SystemPrinter>(std::move(printer)));
        if (cmbPrinter->findText(name) < 0)
            cmbPrinter->insertItem(cmbPrinter->count() - 1, name);
        cmbPrinter->setCurrentIndex(cmbPrinter->findText(name));
        showResolution();
    } catch (const RuntimeError&) {
        Label1->setText(QStringLiteral("-"));
    }
}

void IsForm2::discardRunningJob() {
    Command1->setEnabled(false);
    try {
        Printer& printer = m_printers.printer();
        printer.KillDoc();
        printer.EndDoc();
    } catch (const RuntimeError&) {
        // the device failed; the routine stops on its own error
    }
}

void IsForm2::Command1_Click() {
    rememberChoices();
    if (IjF == 1 && Command1->isEnabled())
        discardRunningJob();
    close();
}

void IsForm2::closeEvent(QCloseEvent* event) {
    if (m_handlerRunning) {
        // Closed from the window frame while a job runs: discarded all the same.
        if (IjF == 1 && Command1->isEnabled())
            discardRunningJob();
        m_closePending = true;
        event->ignore();
        return;
    }
    event->accept();
}

void IsForm2::endHandler(bool unload) {
    m_handlerRunning = false;
    if (unload || m_closePending) {
        close();
        return;
    }
    IjF = 0;
    Label2->clear();
    setJobControlsEnabled(true);
}
