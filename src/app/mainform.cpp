#include "mainform.h"

#include "app/cardsession.h"
#include "app/commands.h"
#include "app/recentcards.h"
#include "app/session.h"
#include "base/datafiles.h"
#include "base/printer.h"
#include "browser/viewform.h"
#include "document/card.h"
#include "editor/canvaszoom.h"
#include "editor/cardcanvas.h"
#include "editor/linetab.h"
#include "editor/logofile.h"
#include "editor/logoform.h"
#include "editor/qrform.h"
#include "helpwindow.h"
#include "layout/printstyleform.h"
#include "picture/backcolor.h"
#include "picture/cardpicture.h"
#include "picture/picturesettings.h"
#include "print/mergeform.h"
#include "print/printdialog.h"
#include "startup.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {
QIcon toolbarIcon(const QString& name) {
    const QString path = FindDataFile(QStringLiteral("icons/") + name + QStringLiteral(".svg"));
    return path.isEmpty() ? QIcon() : QIcon(path);
}

void setStandardShortcut(QAction* action, QKeySequence::StandardKey key,
                         const QKeySequence& otherwise) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        action->setShortcut(otherwise);
    else
        action->setShortcuts(keys);
}

// Pixels kept free around the card in its frame when it is fitted.
constexpr int CanvasMargin = 8;

// Makes window a window of owner's. As a dialog-type window it is marked
// transient for its owner on X11 (a plain window is not), which the window
// manager keeps above the owner.
void ownWindow(QWidget* window, QWidget* owner) {
    window->setParent(owner, (window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
}

// Places window centred on owner, inside the screen's free area.
void centreOn(QWidget* window, const QWidget* owner) {
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    QRect r(QPoint(), window->size());
    r.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
        const QRect free = screen->availableGeometry();
        r.moveLeft(std::max(free.left(), std::min(r.left(), free.right() - r.width())));
        r.moveTop(std::max(free.top(), std::min(r.top(), free.bottom() - r.height())));
    }
    window->move(r.topLeft());
}

// Escape on a window, wherever its focus is, acts as its cancel or close
// button: the button the window names as "escapeButton", or closing it.
class EscapeCloses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (auto* button =
                qobject_cast<QAbstractButton*>(window->property("escapeButton").value<QObject*>()))
            button->click();
        else
            window->close();
        return true;
    }
};

void closeOnEscape(QWidget* window) {
    window->installEventFilter(new EscapeCloses(window));
}
} // namespace

MainForm::MainForm(Session& session, QWidget* parent) : QMainWindow(parent), s(session) {
    setObjectName(QStringLiteral("MainForm"));
    const QString appIcon = FindDataFile(QStringLiteral("icons/quillo.svg"));
    if (!appIcon.isEmpty())
        setWindowIcon(QIcon(appIcon));
    buildMenus();
    buildToolbar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    Frame1 = new QScrollArea(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setMinimumHeight(240);
    Frame1->setWidgetResizable(false);
    Frame1->viewport()->installEventFilter(this);
    m_desk = new QWidget;
    m_desk->setObjectName(QStringLiteral("CanvasDesk"));
    Picture1 = new CardCanvas(s.doc, s.ui(), s.app, m_desk);
    Frame1->setWidget(m_desk);
    layout->addWidget(Frame1, 1);

    auto* buttons = new QHBoxLayout;
    Cmd_PictureSetting = new QPushButton(QStringLiteral("画像設定"), central);
    Cmd_PictureSetting->setObjectName(QStringLiteral("Cmd_PictureSetting"));
    connect(Cmd_PictureSetting, &QPushButton::clicked, this, &MainForm::Cmd_PictureSetting_Click);
    qrCodeButton = new QPushButton(QStringLiteral("QRコード"), central);
    qrCodeButton->setObjectName(QStringLiteral("qrCodeButton"));
    connect(qrCodeButton, &QPushButton::clicked, this, &MainForm::showQrCodeWindow);
    logoButton = new QPushButton(QStringLiteral("ロゴ"), central);
    logoButton->setObjectName(QStringLiteral("logoButton"));
    connect(logoButton, &QPushButton::clicked, this, &MainForm::showLogoWindow);
    buttons->addStretch(1);
    buttons->addWidget(logoButton);
    buttons->addWidget(qrCodeButton);
    buttons->addWidget(Cmd_PictureSetting);
    layout->addLayout(buttons);

    buildTabs();
    layout->addWidget(SSTab1);
    setCentralWidget(central);
    buildStatusBar();
    resize(760, 6000 / qMax(1, s.app.TppY) + 200);

    connect(&s.doc, &CardDocument::changed, this, &MainForm::cardChanged);
    // The caption is the card's path, marked while the card differs from
    // its file.
    connect(&s.doc, &CardDocument::pathChanged, this, [this](const QString& path) {
        setWindowTitle(CaptionFor(path) + QStringLiteral("[*]"));
    });
    const auto showChanged = [this] { setWindowModified(s.doc.ChangedFlg == 1); };
    connect(&s.doc.history().stack(), &QUndoStack::indexChanged, this, showChanged);
    connect(&s.doc.history().stack(), &QUndoStack::cleanChanged, this, showChanged);
    connect(&s.doc.history(), &CardHistory::restored, this, &MainForm::showRestoredCard);
    connect(&s.doc.history().stack(), &QUndoStack::canUndoChanged, undoAction,
            &QAction::setEnabled);
    connect(&s.doc.history().stack(), &QUndoStack::canRedoChanged, redoAction,
            &QAction::setEnabled);
    updateRecentCards();
    // The window opens ready for typing the name.
    Lines[0]->Text1->setFocus(Qt::OtherFocusReason);
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
    Sinki->setShortcuts(QKeySequence::New);
    Load_Hiraku->setShortcuts(QKeySequence::Open);
    Save_Uwagaki->setShortcuts(QKeySequence::Save);
    // Where the platform has no key for these, the ones of the Linux
    // desktops.
    setStandardShortcut(Save_Name, QKeySequence::SaveAs,
                        QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    setStandardShortcut(Shuryo, QKeySequence::Quit, QKeySequence(QStringLiteral("Ctrl+Q")));
    buildEditMenus();

    QMenu* settei = menuBar()->addMenu(QStringLiteral("印刷(&I)"));
    settei->setObjectName(QStringLiteral("MSettei"));
    PrintS = add(settei, "PrintS", QStringLiteral("ｽﾀｲﾙ設定(&S)"), &MainForm::PrintS_Click);
    settei->addSeparator()->setObjectName(QStringLiteral("Hifn5"));
    Insatu = add(settei, "Insatu", QStringLiteral("印刷実行(&P)"), &MainForm::Insatu_Click);
    Insatu->setShortcuts(QKeySequence::Print);
    mergeAction = add(settei, "mergeAction", QStringLiteral("差し込み印刷(&M)..."),
                      &MainForm::showMergeWindow);

    QMenu* options = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    options->setObjectName(QStringLiteral("mnu_settei"));
    mnu_Haikei =
        add(options, "mnu_Haikei", QStringLiteral("背景(&H)"), &MainForm::mnu_Haikei_Click);
    mnu_GazouSet = add(options, "mnu_GazouSet", QStringLiteral("画像設定(&G)"),
                       &MainForm::Cmd_PictureSetting_Click);
    qrCodeAction =
        add(options, "qrCodeAction", QStringLiteral("QRコード(&Q)"), &MainForm::showQrCodeWindow);
    logoAction = add(options, "logoAction", QStringLiteral("ロゴ(&L)"), &MainForm::showLogoWindow);
    uprightAction =
        add(options, "uprightAction", QStringLiteral("縦型名刺(&T)"), &MainForm::turnCard);
    uprightAction->setCheckable(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("Hlp"));
    Houhou = add(help, "Houhou", QStringLiteral("目次(&M)"), &MainForm::Houhou_Click);
    Houhou->setShortcuts(QKeySequence::HelpContents);
}

void MainForm::buildEditMenus() {
    auto add = [this](QMenu* menu, const char* name, const QString& caption, auto slot,
                      QKeySequence::StandardKey key) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName(QStringLiteral("editMenu"));
    undoAction = add(editMenu, "undoAction", QStringLiteral("元に戻す(&U)"), &MainForm::undo,
                     QKeySequence::Undo);
    redoAction = add(editMenu, "redoAction", QStringLiteral("やり直し(&R)"), &MainForm::redo,
                     QKeySequence::Redo);
    // Ctrl+Y as well, as most programs take it, besides the desktop's key.
    QList<QKeySequence> redoKeys = redoAction->shortcuts();
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoAction->setShortcuts(redoKeys << QKeySequence(Qt::CTRL | Qt::Key_Y));
    undoAction->setEnabled(false);
    redoAction->setEnabled(false);

    viewMenu = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    viewMenu->setObjectName(QStringLiteral("viewMenu"));
    zoomInAction = add(viewMenu, "zoomInAction", QStringLiteral("拡大(&I)"), &MainForm::zoomIn,
                       QKeySequence::ZoomIn);
    zoomOutAction = add(viewMenu, "zoomOutAction", QStringLiteral("縮小(&O)"), &MainForm::zoomOut,
                        QKeySequence::ZoomOut);
    actualSizeAction = add(viewMenu, "actualSizeAction", QStringLiteral("実際のサイズ(&A)"),
                           &MainForm::zoomToActualSize, QKeySequence::UnknownKey);
    actualSizeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    fitToWindowAction =
        add(viewMenu, "fitToWindowAction", QStringLiteral("ウィンドウに合わせる(&W)"),
            &MainForm::fitToWindow, QKeySequence::UnknownKey);
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

void MainForm::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    pointerLabel = new QLabel(this);
    pointerLabel->setObjectName(QStringLiteral("pointerLabel"));
    pointerLabel->setMinimumWidth(
        pointerLabel->fontMetrics().horizontalAdvance(QStringLiteral("X 000.0 mm  Y 000.0 mm")));
    zoomLabel = new QLabel(this);
    zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
    statusBar()->addPermanentWidget(pointerLabel);
    statusBar()->addPermanentWidget(zoomLabel);
    connect(Picture1, &CardCanvas::pointerMoved, this, [this](QPointF mm) {
        pointerLabel->setText(
            QStringLiteral("X %1 mm  Y %2 mm").arg(mm.x(), 0, 'f', 1).arg(mm.y(), 0, 'f', 1));
    });
    connect(Picture1, &CardCanvas::pointerLeft, pointerLabel, &QLabel::clear);
    showZoom();
}

void MainForm::showZoom() {
    zoomLabel->setText(QStringLiteral("倍率 %1%").arg(std::lround(Picture1->zoom() * 100)));
}

void MainForm::buildTabs() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setUsesScrollButtons(false);
    SSTab1->tabBar()->setExpanding(false);
    for (int i = 0; i < LineCount; ++i) {
        auto* page = new LineTab(s.doc, s.ui(), i, SSTab1);
        Lines[i] = page;
        SSTab1->addTab(page, TabCaption(i));
    }
    Picture1->onPositionShown = [this](int i) { IcPrint(i); };
    connect(Picture1, &CardCanvas::itemGrabbed, this, [this](int i) {
        SSTab1->setCurrentIndex(i);
        Lines[i]->Text1->setFocus(Qt::MouseFocusReason);
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, &MainForm::SSTab1_Click);
    connect(SSTab1, &QTabWidget::currentChanged, Picture1, &CardCanvas::setCurrentLine);
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
    ::Sinki(s);
}
void MainForm::Load_Hiraku_Click() {
    LoadHiraku(s);
}
void MainForm::Save_Uwagaki_Click() {
    SaveUwagaki(s);
}
void MainForm::Save_Name_Click() {
    SaveName(s);
}
void MainForm::Shuryo_Click() {
    close();
}
void MainForm::MFile_Click() {
    Save_Uwagaki->setEnabled(CanOverwriteSave(s));
    updateRecentCards();
}

void MainForm::updateRecentCards() {
    for (QAction* a : std::exchange(RecentActions, {}))
        delete a;
    delete m_recentSeparator;
    m_recentSeparator = nullptr;
    const QStringList cards = RecentCards(s.settings());
    if (cards.isEmpty())
        return;
    for (int i = 0; i < cards.size(); ++i) {
        const QString path = cards[i];
        QString shown = path;
        shown.replace(u'&', QStringLiteral("&&"));
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), MFile);
        a->setObjectName(QStringLiteral("Recent_%1").arg(i + 1));
        a->setToolTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            OpenRecentCard(s, path);
            updateRecentCards();
        });
        MFile->insertAction(Shuryo, a);
        RecentActions.append(a);
    }
    m_recentSeparator = MFile->insertSeparator(Shuryo);
    m_recentSeparator->setObjectName(QStringLiteral("haifun_recent"));
}

void MainForm::undo() {
    s.doc.history().undo();
}

void MainForm::redo() {
    s.doc.history().redo();
}

void MainForm::showRestoredCard(bool pictureChanged, bool styleChanged, int line) {
    // The tab of the line the step changed comes to the front, so that the
    // user sees what was undone.
    if (line >= 0 && line < SSTab1->count())
        SSTab1->setCurrentIndex(line);
    // The picture is reloaded by the same routine as after the picture
    // dialogs; the card itself is shown as the document announces it.
    if (pictureChanged || styleChanged)
        LoadCardPicture(s.doc, s.ui(), s.app);
    // A step back to another logo file decodes that file again.
    PrepareCardLogo(s.doc, s.ui());
}

void MainForm::cardChanged(CardPart part, int) {
    if (part == CardPart::Whole)
        showCardData();
    // A new print style or a turned card resizes the canvas.
    if (part == CardPart::Whole || part == CardPart::PrintStyle) {
        uprightAction->setChecked(s.doc.card.Upright);
        layoutCanvas();
        // (Before the window is first shown its frame has no size yet.)
        if (Frame1->viewport()->isVisible())
            showWholeCard();
    }
}

void MainForm::turnCard() {
    TurnCard(s.doc.card, uprightAction->isChecked());
    // The canvas takes the card's new shape and keeps the lines on it
    // before the step is taken.
    s.doc.markChanged(CardChange::Orientation);
}

void MainForm::zoomIn() {
    m_fitting = false;
    setZoom(m_chosenZoom = NextZoom(Picture1->zoom(), true));
}

void MainForm::zoomOut() {
    m_fitting = false;
    setZoom(m_chosenZoom = NextZoom(Picture1->zoom(), false));
}

void MainForm::zoomToActualSize() {
    m_fitting = false;
    setZoom(m_chosenZoom = 1.0);
}

void MainForm::fitToWindow() {
    zoomToFit();
    m_chosenZoom = Picture1->zoom();
}

void MainForm::showWholeCard() {
    if (m_fitting) {
        zoomToFit();
        return;
    }
    setZoom(std::min(m_chosenZoom, fitZoom()));
}

double MainForm::fitZoom() const {
    const double actualX = Picture1->pixelsPerMmX() / Picture1->zoom();
    const double actualY = Picture1->pixelsPerMmY() / Picture1->zoom();
    return FitZoom(CardSize(s.doc.card), Frame1->viewport()->size(), actualX, actualY,
                   CanvasMargin);
}

void MainForm::zoomToFit() {
    setZoom(fitZoom());
}

void MainForm::setZoom(double zoom) {
    Picture1->setZoom(zoom);
    placeCanvas();
    zoomInAction->setEnabled(Picture1->zoom() < MaxZoom);
    zoomOutAction->setEnabled(Picture1->zoom() > MinZoom);
    showZoom();
}

void MainForm::placeCanvas() {
    // The desk under the canvas is at least the visible part of the frame,
    // so that a small card is centred and a large one scrolls.
    const QSize view = Frame1->viewport()->size();
    const QSize card = Picture1->cardPixelSize();
    m_desk->resize(std::max(view.width(), card.width() + 2 * CanvasMargin),
                   std::max(view.height(), card.height() + 2 * CanvasMargin));
    Picture1->placeIn(m_desk->size(), m_canvasCentred);
}

void MainForm::HaikeiLoad_Click() {
    s.ui().setBusy(true);
    showToolWindow(new ViewForm(s.doc, s.ui(), s.settings(), s.app));
}

void MainForm::PrintS_Click() {
    showToolWindow(new PrintsForm(s.doc, s.ui(), s.settings(), s.printers, s.app));
}

void MainForm::Insatu_Click() {
    auto* dialog = new IsForm2(s.doc, s.ui(), s.settings(), s.printers, s.app);
    // What a print did stays in the status bar after the dialog has closed.
    connect(dialog, &IsForm2::printed, this,
            [this](const QString& what) { statusBar()->showMessage(what); });
    showToolWindow(dialog);
}

void MainForm::mnu_Haikei_Click() {
    showModalDialog(new frmBackColor(s.doc, s.ui(), s.settings(), s.app, this));
}

void MainForm::Cmd_PictureSetting_Click() {
    showModalDialog(new frmPictureSetting(s.doc, s.ui(), s.app, this));
}

template <class Form> void MainForm::showCardWindow(QPointer<Form>& form) {
    if (!form) {
        form = new Form(s.doc, s.ui(), Picture1, this);
        form->setAttribute(Qt::WA_DeleteOnClose);
        placeBesideCard(form);
    }
    form->show();
    form->raise();
    form->activateWindow();
}

void MainForm::showQrCodeWindow() {
    showCardWindow(m_qrForm);
}

void MainForm::showMergeWindow() {
    if (!m_mergeForm) {
        m_mergeForm = new MergeForm(s.doc, s.ui(), Picture1, this);
        m_mergeForm->setAttribute(Qt::WA_DeleteOnClose);
        closeOnEscape(m_mergeForm);
        connect(m_mergeForm, &MergeForm::fieldChosen, this, [this](const QString& field) {
            if (SSTab1->currentIndex() >= 0)
                Lines[SSTab1->currentIndex()]->insertField(field);
        });
        connect(m_mergeForm, &MergeForm::printRequested, this,
                [this](std::shared_ptr<const StaffList> list, const MergeSettings& settings) {
                    auto* dialog = new IsForm2(s.doc, s.ui(), s.settings(), s.printers, s.app);
                    dialog->setMerge(std::move(list), settings);
                    showToolWindow(dialog);
                });
    }
    m_mergeForm->show();
    m_mergeForm->raise();
    m_mergeForm->activateWindow();
}

void MainForm::placeBesideCard(QWidget* window) {
    window->adjustSize();
    const QRect card(Picture1->mapToGlobal(QPoint(0, 0)), Picture1->size());
    const QRect free = screen() ? screen()->availableGeometry() : frameGeometry();
    window->move(PlaceBesideCard(frameGeometry(), card, free, window->frameGeometry().size()));
}

void MainForm::showLogoWindow() {
    showCardWindow(m_logoForm);
}

void MainForm::Houhou_Click() {
    if (!m_help) {
        m_help = new HelpWindow;
        ownWindow(m_help, this);
        closeOnEscape(m_help);
        centreOn(m_help, this);
    }
    m_help->showContents();
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainForm::showToolWindow(QWidget* window) {
    // Owned by the main window, so that the window manager keeps it above
    // the main window instead of burying it behind the locked one.
    ownWindow(window, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    closeOnEscape(window);
    centreOn(window, this);
    m_toolWindows.append(window);
    connect(window, &QObject::destroyed, this, [this] {
        m_toolWindows.removeAll(nullptr);
        setEnabled(true);
        activateWindow();
    });
    setEnabled(false);
    // Disabling the main window disables what it owns; the tool window and
    // the help stay usable.
    window->setEnabled(true);
    if (m_help)
        m_help->setEnabled(true);
    window->show();
}

void MainForm::showModalDialog(QWidget* dialog) {
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    centreOn(dialog, this);
    dialog->show();
}

void MainForm::showCardData() {
    const QString current =
        s.printers.hasPrinter() ? s.printers.printer().CurrentFontName() : QString();
    for (LineTab* page : Lines) {
        if (page->ComboFN->count() != s.FontList.size())
            page->setFontList(s.FontList, current);
        page->showLine();
    }
}

void MainForm::layoutCanvas() {
    m_canvasCentred = ScreenCheck(s);
    placeCanvas();
}

void MainForm::redrawCard() {
    Picture1->RedrawCard();
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1->viewport() && event->type() == QEvent::Resize) {
        // Maximised, the card fills the frame as it is now.
        if (m_fitting)
            zoomToFit();
        else
            placeCanvas();
    }
    if (watched == Frame1->viewport() && event->type() == QEvent::Wheel && isEnabled()) {
        // Ctrl with the wheel zooms, wherever the pointer is over the card.
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y();
            if (steps > 0)
                zoomIn();
            else if (steps < 0)
                zoomOut();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::changeEvent(QEvent* event) {
    // A maximised window shows the card fitted to it; back to its size, the
    // card takes the zoom it had before.
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized() || isFullScreen();
        if (maximised && !m_fitting) {
            m_zoomBeforeFitting = Picture1->zoom();
            m_fitting = true;
            zoomToFit();
        } else if (!maximised && m_fitting) {
            m_fitting = false;
            setZoom(m_zoomBeforeFitting);
        }
    }
    // Locked, the window gives the keyboard back to its tool window when
    // the window manager makes it active (a click on it), so that the tool
    // window's keys, Escape among them, keep working.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isEnabled()) {
        for (qsizetype k = m_toolWindows.size() - 1; k >= 0; --k) {
            QWidget* tool = m_toolWindows[k];
            if (tool && tool->isVisible()) {
                QTimer::singleShot(0, tool, [tool] {
                    tool->raise();
                    tool->activateWindow();
                });
                break;
            }
        }
    }
    QMainWindow::changeEvent(event);
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!FormUnload(s)) {
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
