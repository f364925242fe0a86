#pragma once

#include "thumbnailcache.h"

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class QPushButton;
class QScrollBar;
class CardDocument;
class Settings;
class UiServices;
struct AppState;
template <typename T> class QFutureWatcher;

// The image browser "背景の読込": the pictures of a folder as thumbnails, six
// to a page; "読込" makes the chosen one the card's background picture. A
// top-level window that deletes itself when closed; the main window stays
// disabled while it is open.
//
// A page shows its captions and empty frames at once; the thumbnails are
// decoded (or taken from the shared thumbnail cache) on the other cores and
// fill the frames as they come. Another page or closing the window drops
// what is still to come. A larger window gets larger thumbnails, or more of
// them side by side.
class ViewForm : public QWidget {
    Q_OBJECT
public:
    ViewForm(CardDocument& doc, UiServices& ui, Settings& settings, const AppState& app);

    static constexpr int PageSize = 6;
    // The file patterns of cmbFptn, by index ("sti"/"KKCS").
    static const QStringList& Patterns();

    // Rebuilds the page shown: captions and thumbnails of its files.
    void BMPLoad();

    void Drive1_Change();
    void Dir1_Change();
    void cmbFptn_Click();
    void BImage_Click(int index);
    void BImage_DblClick(int index);
    void VScroll1_Change();
    void Command1_Click();
    void Command2_Click();

    // The folder the folder list shows (and the file list lists).
    QString folderPath() const { return m_folder; }
    // Opens a folder as if the user had chosen it in the folder list.
    void openFolder(const QString& path);
    // Whether a slot shows the placeholder of a file that cannot be shown.
    bool isPlaceholder(int index) const;
    // Whether every frame of the page shown holds its thumbnail (or the
    // placeholder of a file that cannot be shown).
    bool pageFilled() const;
    // Whether thumbnails of the page shown are still being read or decoded.
    bool thumbnailsPending() const;
    // The box thumbnails are fitted into, and the thumbnails side by side.
    QSize thumbnailBox() const { return m_thumbSize; }
    int gridColumns() const { return m_columns; }

    // The smallest thumbnail box, that of a window of the first size.
    static constexpr QSize SmallestBox{128, 96};

    int FileCnt = 0;
    int VwPg = 0;
    int NwPg = 0;
    QString pBMPPath;
    int PI = 0;
    // The folder last shown; stored as "sti"/"BDir" when a picture is taken.
    QString BDir;

    QComboBox* Drive1;
    QTreeWidget* Dir1;
    // The files of the folder that match the pattern; the thumbnails show
    // them, so the list itself stays hidden.
    QListWidget* File1;
    QComboBox* cmbFptn;
    QWidget* Picture1;
    std::array<QLabel*, PageSize> BImage{};
    std::array<QLabel*, PageSize> LabelPicNm{};
    QScrollBar* VScroll1;
    QLineEdit* TextSFn;
    QPushButton* Command1;
    QPushButton* Command2;

signals:
    // The page shown is filled (pageFilled).
    void thumbnailsShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter takes the picture chosen (or presses the button that has the
    // focus); in the folder list it opens the folder instead.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void buildControls();
    void showFolder(const QString& path);
    void showDrive(const QString& folder);
    void refreshFileList();
    void selectFirstFile();
    void highlight(int index, bool on);
    void unhighlightAll();
    void loadThumbnails();
    void cancelThumbnails();
    void showThumbnail(int slot);
    void placeThumbnails();
    void setCaption(int slot);
    void announceFilled();
    // Chooses file index of the list, turning to its page: the arrow keys
    // on the thumbnails.
    void chooseFile(int index);
    bool thumbnailKey(QKeyEvent* event);

    CardDocument& m_doc;
    UiServices& m_ui;
    Settings& m_settings;
    const AppState& m_app;
    QString m_folder;
    QSize m_thumbSize;
    int m_columns = 3;
    ThumbnailCache m_cache;
    // The page's thumbnails as decoded, at the cache's size; null until in.
    std::array<QImage, PageSize> m_images{};
    std::array<bool, PageSize> m_filled{};
    bool m_announced = false;
    ThumbnailCache::Flavor m_flavor = ThumbnailCache::Normal;
    QFutureWatcher<QImage>* m_loading = nullptr;
};
