#include "helpwindow.h"

#include "base/datafiles.h"

#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillo 2.40 ヘルプ"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    bar->addAction(QStringLiteral("目次"), this, [this] { showContents(); });
    bar->addAction(QStringLiteral("戻る"), m_browser, &QTextBrowser::backward);
    bar->addAction(QStringLiteral("進む"), m_browser, &QTextBrowser::forward);
    layout->addWidget(bar);
    layout->addWidget(m_browser);
    resize(720, 560);
}

bool HelpWindow::showContents() {
    const QString path = FindDataFile(QStringLiteral("help/index.html"));
    if (path.isEmpty()) {
        m_browser->setHtml(QStringLiteral("<p>ヘルプファイルが見つかりませんでした。</p>"));
        return false;
    }
    m_browser->setSource(QUrl::fromLocalFile(path));
    return true;
}
