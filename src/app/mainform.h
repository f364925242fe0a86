#pragma once

#include "document/card.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class CardCanvas;
class HelpWindow;
class LineTab;
class MergeForm;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class LogoForm;
class QrForm;
class QScrollArea;
class QTabWidget;
class QToolBar;
class Session;
enum class CardPart;

// The editor window: the card canvas in its frame, the twelve line tabs, the
// menus and the toolbar. It follows the open card's announcements: the
// caption shows its path, and a whole new card or print style is shown and
// laid out again.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(Session& s, QWidget* parent = nullptr);
    ~MainForm() override;

    // Copies the card into the line tabs, with the font list.
    void showCardData();
    // Places the canvas for the card's size.
    void layoutCanvas();
    // The canvas at the chosen zoom, or smaller to show the card whole.
    void showWholeCard();
    // Draws every line of the card again.
    void redrawCard();

    // Shows a tool window without blocking; the main window accepts no input
    // until it closes. The window belongs to the main window (it stays above
    // it), opens centred on it, and Escape closes it unless it handles the
    // key itself. The window is deleted when it closes.
    void showToolWindow(QWidget* window);
    // Shows a settings dialog modally.
    void showModalDialog(QWidget* dialog);

    // Shows the position of a line in its X and Y boxes.
    void IcPrint(int index);

    // Toolbar button by its index; separators do nothing.
    void Toolbar1_ButtonClick(int index);

    QToolBar* Toolbar1;
    // Holds the card canvas; scrolls when the zoomed card is larger.
    QScrollArea* Frame1;
    CardCanvas* Picture1;
    QPushButton* Cmd_PictureSetting;
    QPushButton* qrCodeButton;
    QPushButton* logoButton;
    QTabWidget* SSTab1;
    std::array<LineTab*, LineCount> Lines{};
    QMenu* MFile;
    QAction* Sinki;
    QAction* Load_Hiraku;
    QAction* Save_Uwagaki;
    QAction* Save_Name;
    QAction* HaikeiLoad;
    QAction* Shuryo;
    QAction* PrintS;
    QAction* Insatu;
    QAction* mergeAction;
    QAction* mnu_Haikei;
    QAction* mnu_GazouSet;
    QAction* qrCodeAction;
    QAction* logoAction;
    QAction* uprightAction;
    QAction* Houhou;
    QMenu* editMenu;
    QAction* undoAction;
    QAction* redoAction;
    QMenu* viewMenu;
    QAction* zoomInAction;
    QAction* zoomOutAction;
    QAction* actualSizeAction;
    QAction* fitToWindowAction;
    // The recent cards of the File menu, newest first.
    QList<QAction*> RecentActions;
    // In the status bar: the pointer's place on the card, the zoom. What a
    // print did shows in its message area.
    QLabel* pointerLabel;
    QLabel* zoomLabel;

public slots:
    void Sinki_Click();
    void Load_Hiraku_Click();
    void Save_Uwagaki_Click();
    void Save_Name_Click();
    void Shuryo_Click();
    void MFile_Click();
    void HaikeiLoad_Click();
    void PrintS_Click();
    void Insatu_Click();
    void mnu_Haikei_Click();
    void Cmd_PictureSetting_Click();
    // Shows the merge window (one, kept beside the editor).
    void showMergeWindow();
    // Show the QR code and logo windows (one each, kept beside the editor).
    void showQrCodeWindow();
    void showLogoWindow();
    // Turns the card upright (縦型名刺) or back, as the menu item is ticked.
    void turnCard();
    void Houhou_Click();
    void SSTab1_Click();
    void undo();
    void redo();
    void zoomIn();
    void zoomOut();
    void zoomToActualSize();
    void zoomToFit();
    void fitToWindow();
    // Fills the recent cards into the File menu from the settings.
    void updateRecentCards();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The largest zoom at which the whole card is seen in the frame.
    double fitZoom() const;
    void buildMenus();
    void buildToolbar();
    void buildTabs();
    void buildStatusBar();
    void showZoom();
    void enableCurrentTab();
    void buildEditMenus();
    void setZoom(double zoom);
    void placeCanvas();
    // Places a window that works on the card beside it, not over it.
    void placeBesideCard(QWidget* window);
    // Shows the one window of its kind that works on the card, made and
    // placed beside it the first time.
    template <class Form> void showCardWindow(QPointer<Form>& form);
    void showRestoredCard(bool pictureChanged, bool styleChanged, int line);
    void cardChanged(CardPart part, int line);

    Session& s;
    bool m_canvasCentred = true;
    // The card is fitted to the frame while the window is maximised.
    bool m_fitting = false;
    double m_zoomBeforeFitting = 1.0;
    // The zoom the user chose last; a card of a new shape is shown at it,
    // or smaller where it would not be seen whole.
    double m_chosenZoom = 1.0;
    QWidget* m_desk = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QPointer<QWidget>> m_toolWindows;
    QPointer<HelpWindow> m_help;
    QPointer<QrForm> m_qrForm;
    QPointer<MergeForm> m_mergeForm;
    QPointer<LogoForm> m_logoForm;
};
