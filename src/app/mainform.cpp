#include "mainform.h"

#include "document/tavormain.h"
#include "settings.h"
#include "startup.h"

#include <QCloseEvent>
#include <QFrame>
#include <QVBoxLayout>

namespace {
constexpr double TwipsPerMm = 56.7;
}

MainForm::MainForm(TavorMain& tavor, QWidget* parent) : QMainWindow(parent), m(tavor) {
    setObjectName(QStringLiteral("MainForm"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setMinimumHeight(240);
    Frame1->installEventFilter(this);
    Picture1 = new QWidget(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    Picture1->setCursor(Qt::CrossCursor);
    layout->addWidget(Frame1, 1);
    setCentralWidget(central);
    resize(640, 6000 / qMax(1, m.app.TppY));
}

MainForm::~MainForm() = default;

void MainForm::setCaption(const QString& caption) { setWindowTitle(caption); }

void MainForm::showCardData() {}

void MainForm::layoutCanvas() {
    m_canvasCentred = ScreenCheck(m);
    placeCanvas(m_canvasCentred);
}

void MainForm::placeCanvas(bool centred) {
    const int tppX = qMax(1, m.app.TppX);
    const int tppY = qMax(1, m.app.TppY);
    const PrintStyle& s = m.card.PrintStyle;
    const int widthTwips = int(s.MsX * TwipsPerMm);
    const int heightTwips = int(s.MsY * TwipsPerMm);
    const int frameWidthTwips = Frame1->width() * tppX;
    const int frameHeightTwips = Frame1->height() * tppY;
    const int left = centred ? (frameWidthTwips - widthTwips) / 2 : 3 * tppX;
    const int top = (frameHeightTwips - heightTwips) / 2 + 2 * tppY;
    Picture1->setGeometry(left / tppX, top / tppY, widthTwips / tppX, heightTwips / tppY);
    QPalette pal = Picture1->palette();
    const quint32 c = m.app.BackColor;
    pal.setColor(QPalette::Window, QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    Picture1->setPalette(pal);
}

void MainForm::redrawCard() {}

void MainForm::loadCardPicture() {}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::Resize)
        placeCanvas(m_canvasCentred);
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event) {
    m.settings().setText(QStringLiteral("sti"), QStringLiteral("file"), m.CardPath);
    m.settings().setNumber(QStringLiteral("sti"), QStringLiteral("ify"), m.app.IsfkY);
    m.settings().setNumber(QStringLiteral("sti"), QStringLiteral("ifx"), m.app.IsfkX);
    m.settings().sync();
    event->accept();
}
