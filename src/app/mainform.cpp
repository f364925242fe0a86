#include "mainform.h"

#include "app/commands.h"
#include "base/datafiles.h"
#include "base/printer.h"
#include "browser/viewform.h"
#include "document/card.h"
#include "document/tavormain.h"
#include "editor/cardcanvas.h"
#include "editor/linetab.h"
#include "editor/qrform.h"
#include "helpwindow.h"
#include "layout/printstyleform.h"
#include "picture/backcolor.h"
#include "picture/picturesettings.h"
#include "print/printdialog.h"
#include "startup.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
QIcon toolbarIcon(const QString& name) {
    const QString path = FindDataFile(QStringLiteral("icons/") + name + QStringLiteral(".svg"));
    return path.isEmpty() ? QIcon() : QIcon(path);
}
} // namespace

MainForm::MainForm(TavorMain& tavor, QWidget* parent) : QMainWindow(parent), m(tavor) {
    setObjectName(QStringLiteral("MainForm"));
    const QString appIcon = FindDataFile(QStringLiteral("icons/quillo.svg"));
    if (!appIcon.isEmpty())
        setWindowIcon(QIcon(appIcon));
    buildMenus();
    buildToolbar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setMinimumHeight(240);
    Frame1->installEventFilter(this);
    Picture1 = new CardCanvas(m, Frame1);
    layout->addWidget(Frame1, 1);

    auto* buttons = new QHBoxLayout;
    Cmd_PictureSetting = new QPushButton(QStringLiteral("画像設定"), central);
    Cmd_PictureSetting->setObjectName(QStringLiteral("Cmd_PictureSetting"));
    connect(Cmd_PictureSetting, &QPushButton::clicked, this, &MainForm::Cmd_PictureSetting_Click);
    Cmd_QrCode = new QPushButton(QStringLiteral("QRコード"), central);
    Cmd_QrCode->setObjectName(QStringLiteral("Cmd_QrCode"));
    connect(Cmd_QrCode, &QPushButton::clicked, this, &MainForm::Cmd_QrCode_Click);
    buttons->addStretch(1);
    buttons->addWidget(Cmd_QrCode);
    buttons->addWidget(Cmd_PictureSetting);
    layout->addLayout(buttons);

    buildTabs();
    layout->addWidget(SSTab1);
    setCentralWidget(central);
    resize(760, 6000 / qMax(1, m.app.TppY) + 200);
}

MainForm::~MainForm() {
    // The windows' destroyed handlers must not touch the list or this window
    // while it goes.
    const auto windows = std::exchange(m_toolWindows, {});
    for (const QPointer<QWidget>& w : windows) {
        if (w) {
            disconnect(w, nullptr, this, nullptr);
            delete w.data();
        }
    }
    delete m_help.data();
}

void MainForm::buildMenus() {
    auto add = [this](QMenu* menu, const char* name, const QString& caption, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    MFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    MFile->setObjectName(QStringLiteral("MFile"));
    connect(MFile, &QMenu::aboutToShow, this, &MainForm::MFile_Click);
    Sinki = add(MFile, "Sinki", QStringLiteral("新規作成(&N)"), &MainForm::Sinki_Click);
    Load_Hiraku =
        add(MFile, "Load_Hiraku", QStringLiteral("開く(&O)"), &MainForm::Load_Hiraku_Click);
    Save_Uwagaki =
        add(MFile, "Save_Uwagaki", QStringLiteral("上書保存(&S)"), &MainForm::Save_Uwagaki_Click);
    Save_Name =
        add(MFile, "Save_Name", QStringLiteral("名前を付けて保存(&A)"), &MainForm::Save_Name_Click);
    MFile->addSeparator()->setObjectName(QStringLiteral("Haifun2"));
    HaikeiLoad =
        add(MFile, "HaikeiLoad", QStringLiteral("背景の読込(&H)"), &MainForm::HaikeiLoad_Click);
    MFile->addSeparator()->setObjectName(QStringLiteral("haifun4"));
    Shuryo = add(MFile, "Shuryo", QStringLiteral("終了(&X)"), &MainForm::Shuryo_Click);

    QMenu* settei = menuBar()->addMenu(QStringLiteral("印刷(&I)"));
    settei->setObjectName(QStringLiteral("MSettei"));
    PrintS = add(settei, "PrintS", QStringLiteral("ｽﾀｲﾙ設定(&S)"), &MainForm::PrintS_Click);
    settei->addSeparator()->setObjectName(QStringLiteral("Hifn5"));
    Insatu = add(settei, "Insatu", QStringLiteral("印刷実行(&P)"), &MainForm::Insatu_Click);

    QMenu* options = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    options->setObjectName(QStringLiteral("mnu_settei"));
    mnu_Haikei =
        add(options, "mnu_Haikei", QStringLiteral("背景(&H)"), &MainForm::mnu_Haikei_Click);
    mnu_GazouSet = add(options, "mnu_GazouSet", QStringLiteral("画像設定(&G)"),
                       &MainForm::Cmd_PictureSetting_Click);
    mnu_QrCode =
        add(options, "mnu_QrCode", QStringLiteral("QRコード(&Q)"), &MainForm::Cmd_QrCode_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("Hlp"));
    Houhou = add(help, "Houhou", QStringLiteral("目次(&M)"), &MainForm::Houhou_Click);
}

void MainForm::buildToolbar() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    struct Button {
        int index;
        const char* icon;
        const char16_t* tip;
    };
    // Indices 1, 5, 7 and 10 are the separators between the groups.
    const Button buttons[] = {
        {2, "new", u"新規作成"},
        {3, "open", u"開く"},
        {4, "save", u"上書保存"},
        {6, "background", u"背景の読込"},
        {8, "printstyle", u"印刷スタイル"},
        {9, "print", u"印刷"},
        {11, "help", u"ヘルプ"},
    };
    int next = 1;
    for (const Button& b : buttons) {
        for (; next < b.index; ++next)
            Toolbar1->addSeparator()->setObjectName(QStringLiteral("Toolbar1_%1").arg(next));
        QAction* a = Toolbar1->addAction(toolbarIcon(QString::fromLatin1(b.icon)),
                                         QString::fromUtf16(b.tip));
        a->setToolTip(QString::fromUtf16(b.tip));
        a->setObjectName(QStringLiteral("Toolbar1_%1").arg(b.index));
        const int index = b.index;
        connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        next = b.index + 1;
    }
}

void MainForm::buildTabs() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setUsesScrollButtons(false);
    SSTab1->tabBar()->setExpanding(false);
    for (int i = 0; i < LineCount; ++i) {
        auto* page = new LineTab(m, i, SSTab1);
        Lines[i] = page;
        SSTab1->addTab(page, TabCaption(i));
        connect(page, &LineTab::redraw, Picture1, &CardCanvas::DrawTextItem);
    }
    Picture1->onPositionShown = [this](int i) { IcPrint(i); };
    connect(Picture1, &CardCanvas::itemGrabbed, this, [this](int i) {
        SSTab1->setCurrentIndex(i);
        Lines[i]->Text1->setFocus(Qt::MouseFocusReason);
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, &MainForm::SSTab1_Click);
    enableCurrentTab();
}

void MainForm::enableCurrentTab() {
    for (LineTab* page : Lines)
        page->setCurrent(false);
    if (SSTab1->currentIndex() >= 0)
        Lines[SSTab1->currentIndex()]->setCurrent(true);
}

void MainForm::SSTab1_Click() {
    enableCurrentTab();
    if (SSTab1->currentIndex() >= 0)
        Lines[SSTab1->currentIndex()]->Text1->setFocus(Qt::TabFocusReason);
}

void MainForm::IcPrint(int index) {
    if (index >= 0 && index < LineCount)
        Lines[index]->IcPrint();
}

void MainForm::Toolbar1_ButtonClick(int index) {
    switch (index) {
    case 2:
        Sinki_Click();
        break;
    case 3:
        Load_Hiraku_Click();
        break;
    case 4:
        Save_Uwagaki_Click();
        break;
    case 6:
        HaikeiLoad_Click();
        break;
    case 8:
        PrintS_Click();
        break;
    case 9:
        Insatu_Click();
        break;
    case 11:
        Houhou_Click();
        break;
    default:
        break;
    }
}

void MainForm::Sinki_Click() {
    ::Sinki(m);
}
void MainForm::Load_Hiraku_Click() {
    LoadHiraku(m);
}
void MainForm::Save_Uwagaki_Click() {
    SaveUwagaki(m);
}
void MainForm::Save_Name_Click() {
    SaveName(m);
}
void MainForm::Shuryo_Click() {
    close();
}
void MainForm::MFile_Click() {
    Save_Uwagaki->setEnabled(CanOverwriteSave(m));
}

void MainForm::HaikeiLoad_Click() {
    m.ui().setBusy(true);
    showToolWindow(new ViewForm(m));
}

void MainForm::PrintS_Click() {
    showToolWindow(new PrintsForm(m));
}

void MainForm::Insatu_Click() {
    showToolWindow(new IsForm2(m));
}

void MainForm::mnu_Haikei_Click() {
    showModalDialog(new frmBackColor(m, this));
}

void MainForm::Cmd_PictureSetting_Click() {
    showModalDialog(new frmPictureSetting(m, this));
}

void MainForm::Cmd_QrCode_Click() {
    if (!m_qrForm) {
        m_qrForm = new QrForm(m, Picture1, this);
        m_qrForm->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_qrForm->show();
    m_qrForm->raise();
    m_qrForm->activateWindow();
}

void MainForm::Houhou_Click() {
    if (!m_help)
        m_help = new HelpWindow;
    m_help->showContents();
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainForm::showToolWindow(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_toolWindows.append(window);
    connect(window, &QObject::destroyed, this, [this] {
        m_toolWindows.removeAll(nullptr);
        setEnabled(true);
        activateWindow();
    });
    setEnabled(false);
    window->show();
}

void MainForm::showModalDialog(QWidget* dialog) {
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void MainForm::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void MainForm::showCardData() {
    const QString current = m.hasPrinter() ? m.printer().CurrentFontName() : QString();
    for (LineTab* page : Lines) {
        if (page->ComboFN->count() != m.FontList.size())
            page->setFontList(m.FontList, current);
        page->showLine();
    }
}

void MainForm::layoutCanvas() {
    m_canvasCentred = ScreenCheck(m);
    Picture1->placeIn(Frame1->size(), m_canvasCentred);
}

void MainForm::redrawCard() {
    Picture1->RedrawCard();
}

void MainForm::clearCardPicture() {
    Picture1->setPictureShown(false);
}

void MainForm::showCardPicture() {
    Picture1->setPictureShown(true);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::Resize)
        Picture1->placeIn(Frame1->size(), m_canvasCentred);
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!FormUnload(m)) {
        event->ignore();
        return;
    }
    // The program ends with its main window: the other windows close too.
    for (const QPointer<QWidget>& w : m_toolWindows) {
        if (w)
            w->close();
    }
    if (m_help)
        m_help->close();
    event->accept();
}
