#pragma once

#include <QWidget>

class QTextBrowser;

// The program's help, shown from its contents page.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the contents page; false when the help document is missing.
    bool showContents();
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
