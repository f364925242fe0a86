#include "viewform.h"

#include "document/cardfile.h"

#include "base/appstate.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "base/uiservices.h"
#include "browserfiles.h"
#include "document/carddocument.h"
#include "picture/cardpicture.h"

#include <QCache>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <utility>

namespace {

const QString Section = QStringLiteral("sti");
constexpr int FolderRole = Qt::UserRole;
// The highlight of the selected thumbnail's caption (light grey).
const QColor SelectedCaption(0xC0, 0xC0, 0xC0);

// The thumbnail grid: the space between slots and around them, the sunken
// frame of a thumbnail, the largest thumbnail (the large thumbnails of the
// shared cache).
constexpr int Spacing = 6;
constexpr int Frame = 2;
constexpr int LargestEdge = 256;

int captionHeight(const QLabel* label) {
    QFont f = label->font();
    f.setBold(true);
    const QMargins m = label->contentsMargins();
    return QFontMetrics(f).height() + m.top() + m.bottom();
}

struct Grid {
    int columns;
    QSize box;
};

// The arrangement of a page's six thumbnails (three, two or six side by
// side) that gives the largest 4:3 thumbnails in the area, never smaller
// than the first window's nor larger than the large cached thumbnails.
Grid fitGrid(QSize area, int caption) {
    Grid best{3, ViewForm::SmallestBox};
    for (const int columns : {3, 2, 6}) {
        const int rows = ViewForm::PageSize / columns;
        const int width = (area.width() - (columns - 1) * Spacing) / columns - 2 * Frame;
        const int height =
            (area.height() - (rows - 1) * Spacing) / rows - caption - 2 * Frame - Spacing / 2;
        const int edge =
            std::clamp(std::min(width, height * 4 / 3), ViewForm::SmallestBox.width(), LargestEdge);
        if (edge > best.box.width())
            best = {columns, QSize(edge, edge * 3 / 4)};
    }
    return best;
}

// The threads that decode thumbnails, one a core. Not Qt's global pool: the
// GUI thread scales and converts large images on that one and would wait
// behind a page of pictures being decoded.
QThreadPool* thumbnailPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        p->setObjectName(QStringLiteral("thumbnails"));
        return p;
    }();
    return pool;
}

// The thumbnails shown last, by size and path, for the whole run: a page
// shown again fills at once.
QCache<QString, QImage>& recentThumbnails() {
    static QCache<QString, QImage> recent(60);
    return recent;
}

QString memoryKey(const QString& path, int edge) {
    return QString::number(edge) + QLatin1Char(':') + path;
}

// A thumbnail fitted to its slot; smaller ones keep their size.
QPixmap slotPixmap(const QImage& image, QSize box) {
    if (image.width() <= box.width() && image.height() <= box.height())
        return QPixmap::fromImage(image);
    return QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// The folder list: every folder on the way shows open, with no branch
// arrows that would offer to fold it.
class FolderTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
};

} // namespace

const QStringList& ViewForm::Patterns() {
    static const QStringList patterns{
        QStringLiteral("*.BMP;*.JPG;*.GIF;*.TIF;*.TIF;*.DIB"),
        QStringLiteral("*.BMP"),
        QStringLiteral("*.JPG"),
        QStringLiteral("*.GIF"),
        QStringLiteral("*.TIF"),
        QStringLiteral("*.DIB"),
        QStringLiteral("*.*"),
    };
    return patterns;
}

ViewForm::ViewForm(CardDocument& doc, UiServices& ui, Settings& settings, const AppState& app)
    : m_doc(doc), m_ui(ui), m_settings(settings), m_app(app), m_thumbSize(SmallestBox) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("背景の読込"));
    buildControls();
    Form_Load();
}

void ViewForm::buildControls() {
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    connect(Drive1, &QComboBox::activated, this, &ViewForm::Drive1_Change);

    Dir1 = new FolderTree(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setHeaderHidden(true);
    Dir1->setRootIsDecorated(false);
    Dir1->setItemsExpandable(false);
    Dir1->setIndentation(12);
    Dir1->setUniformRowHeights(true);
    connect(Dir1, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openFolder(item->data(0, FolderRole).toString()); });

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->hide();

    cmbFptn = new QComboBox(this);
    cmbFptn->setObjectName(QStringLiteral("cmbFptn"));
    cmbFptn->addItems(Patterns());
    cmbFptn->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(cmbFptn, &QComboBox::activated, this, &ViewForm::cmbFptn_Click);

    auto* folders = new QVBoxLayout;
    folders->addWidget(Drive1);
    folders->addWidget(Dir1, 1);
    folders->addWidget(cmbFptn);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    Picture1 = panel;
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->installEventFilter(this);
    Picture1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The thumbnails take the keyboard: the arrow keys choose among them,
    // and the panel's frame shows that it has the focus.
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setStyleSheet(
        QStringLiteral("QFrame#Picture1:focus { border: 2px solid palette(highlight); }"));
    // The slots are placed by placeThumbnails, as the panel's size allows.
    for (int i = 0; i < PageSize; ++i) {
        BImage[i] = new QLabel(Picture1);
        BImage[i]->setObjectName(QStringLiteral("BImage_%1").arg(i));
        BImage[i]->setAlignment(Qt::AlignCenter);
        BImage[i]->setFrameShape(QFrame::Panel);
        BImage[i]->setFrameShadow(QFrame::Sunken);
        BImage[i]->installEventFilter(this);
        LabelPicNm[i] = new QLabel(Picture1);
        LabelPicNm[i]->setObjectName(QStringLiteral("LabelPicNm_%1").arg(i));
        LabelPicNm[i]->setAutoFillBackground(true);
        LabelPicNm[i]->setContentsMargins(2, 1, 2, 1);
        LabelPicNm[i]->installEventFilter(this);
    }
    const int frame = panel->frameWidth() + Spacing;
    Picture1->setMinimumSize(3 * (SmallestBox.width() + 2 * Frame) + 2 * Spacing + 2 * frame,
                             2 * (SmallestBox.height() + 2 * Frame + captionHeight(LabelPicNm[0])) +
                                 2 * Spacing + 2 * frame);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setPageStep(1);
    // The scroll bar never keeps the focus.
    VScroll1->setFocusPolicy(Qt::NoFocus);
    connect(VScroll1, &QScrollBar::valueChanged, this, &ViewForm::VScroll1_Change);

    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(2);
    pictures->addWidget(Picture1);
    pictures->addWidget(VScroll1);

    auto* top = new QHBoxLayout;
    top->addLayout(folders);
    top->addLayout(pictures, 1);

    TextSFn = new QLineEdit(this);
    TextSFn->setObjectName(QStringLiteral("TextSFn"));
    // The picture taken is the thumbnail chosen; the name only shows it.
    TextSFn->setReadOnly(true);
    Command1 = new QPushButton(QStringLiteral("読込"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    connect(Command1, &QPushButton::clicked, this, &ViewForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ViewForm::Command2_Click);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("ファイル名"), this));
    bottom->addWidget(TextSFn, 1);
    bottom->addSpacing(12);
    bottom->addWidget(Command1);
    bottom->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    // Tab goes as the window reads: the drive, the folders, the pattern,
    // the thumbnails, the name, the buttons.
    QWidget* order[] = {Drive1, Dir1, cmbFptn, Picture1, TextSFn, Command1, Command2};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}

void ViewForm::Form_Load() {
    adjustSize();
    if (QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.left(), area.top() + std::max(0, (area.height() - height()) / 2));
    }

    BDir = m_settings.text(Section, QStringLiteral("BDir"), QString());
    if (BDir.isEmpty() || !QFileInfo(BDir).isDir())
        BDir = QDir::currentPath();
    showDrive(BDir);
    showFolder(BDir);
    BDir = m_folder;

    int k = 0;
    try {
        k = int(m_settings.number(Section, QStringLiteral("KKCS"), 0));
    } catch (const RuntimeError&) {
    }
    if (k < 0 || k > 6)
        k = 0;
    cmbFptn->setCurrentIndex(k);
    refreshFileList();
    selectFirstFile();

    // The main window set the busy pointer when it opened this one.
    m_ui.setBusy(false);
    unsetCursor();
}

void ViewForm::BMPLoad() {
    m_ui.setBusy(true);
    cancelThumbnails();
    for (int i = 0; i < PageSize; ++i) {
        LabelPicNm[i]->clear();
        LabelPicNm[i]->setToolTip({});
        BImage[i]->clear();
        BImage[i]->setProperty("placeholder", false);
        m_images[i] = QImage();
        m_filled[i] = false;
    }
    FileCnt = File1->count();
    VwPg = (FileCnt - 1) / PageSize;
    {
        const QSignalBlocker quiet(VScroll1);
        if (FileCnt <= PageSize) {
            VScroll1->setEnabled(false);
            VScroll1->setRange(0, 0);
            NwPg = 0;
        } else {
            VScroll1->setEnabled(true);
            VScroll1->setRange(0, VwPg);
        }
    }

    const int first = NwPg * PageSize;
    for (int i = 0; i < PageSize && first + i <= FileCnt - 1; ++i) {
        const QString name = File1->item(first + i)->text();
        LabelPicNm[i]->setToolTip(QStringLiteral("%1 : %2").arg(first + i + 1).arg(name));
        setCaption(i);
    }
    // The empty frames stand for the thumbnails until they come.
    loadThumbnails();
    m_ui.setBusy(false);
}

// The caption, shortened in the middle to its slot's width (in bold, so
// that highlighting it never changes the text).
void ViewForm::setCaption(int slot) {
    QFont bold = LabelPicNm[slot]->font();
    bold.setBold(true);
    const QString caption = LabelPicNm[slot]->toolTip();
    const int width = BImage[slot]->width() - LabelPicNm[slot]->contentsMargins().left() -
                      LabelPicNm[slot]->contentsMargins().right();
    LabelPicNm[slot]->setText(QFontMetrics(bold).elidedText(caption, Qt::ElideMiddle, width));
}

// Fills the page's frames with their thumbnails at the cache's size.
// Thumbnails this program showed a moment ago fill their frames at once and
// are checked against their files on the thread pool all the same; those the
// shared cache keeps are read here, one small PNG each, so that a page seen
// before shows whole at once. The others are decoded on the thread pool and
// each fills its frame as it comes.
void ViewForm::loadThumbnails() {
    cancelThumbnails();
    m_announced = false;
    const int first = NwPg * PageSize;
    m_flavor = ThumbnailCache::FlavorFor(m_thumbSize);
    const int edge = ThumbnailCache::Edge(m_flavor);
    auto fill = [this](int slot, const QImage& image) {
        m_images[slot] = image;
        m_filled[slot] = true;
        BImage[slot]->setProperty("placeholder", false);
        showThumbnail(slot);
    };
    // The slots not shown a moment ago are looked up in the shared cache,
    // half of them on this thread and half on the global pool's.
    std::array<QString, PageSize> slotPath;
    std::array<QImage, PageSize> kept;
    QList<int> unknown;
    for (int i = 0; i < PageSize && first + i <= FileCnt - 1; ++i) {
        slotPath[i] = FolderFilePath(m_folder, File1->item(first + i)->text());
        if (const QImage* known = recentThumbnails().object(memoryKey(slotPath[i], edge)))
            fill(i, *known);
        else
            unknown << i;
    }
    const ThumbnailCache cache = m_cache;
    const auto lookUp = [&](qsizetype from, qsizetype to) {
        for (qsizetype n = from; n < to; ++n)
            kept[unknown[n]] = KeptThumbnail(slotPath[unknown[n]], QSize(edge, edge), cache);
    };
    const qsizetype half = unknown.size() / 2;
    QFuture<void> other =
        QtConcurrent::run(QThreadPool::globalInstance(), lookUp, half, unknown.size());
    lookUp(0, half);
    other.waitForFinished();
    // The slots left to the pool, and their files; the slots shown a moment
    // ago are checked against their files there all the same.
    QList<int> pending;
    QStringList paths;
    for (int i = 0; i < PageSize && first + i <= FileCnt - 1; ++i) {
        if (!kept[i].isNull()) {
            recentThumbnails().insert(memoryKey(slotPath[i], edge), new QImage(kept[i]));
            fill(i, kept[i]);
            continue;
        }
        pending << i;
        paths << slotPath[i];
    }
    announceFilled();
    if (paths.isEmpty())
        return;
    auto* watcher = new QFutureWatcher<QImage>(this);
    m_loading = watcher;
    connect(watcher, &QFutureWatcherBase::resultReadyAt, this,
            [this, watcher, pending, paths, edge](int n) {
                if (watcher != m_loading)
                    return;
                const int i = pending[n];
                m_images[i] = watcher->resultAt(n);
                m_filled[i] = true;
                const QString key = memoryKey(paths[n], edge);
                if (m_images[i].isNull())
                    recentThumbnails().remove(key);
                else
                    recentThumbnails().insert(key, new QImage(m_images[i]));
                BImage[i]->setProperty("placeholder", m_images[i].isNull());
                showThumbnail(i);
                announceFilled();
            });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher == m_loading)
            m_loading = nullptr;
    });
    watcher->setFuture(
        QtConcurrent::mapped(thumbnailPool(), paths, [cache, edge](const QString& path) {
            return CachedThumbnail(path, QSize(edge, edge), cache);
        }));
}

bool ViewForm::pageFilled() const {
    const int first = NwPg * PageSize;
    for (int i = 0; i < PageSize && first + i <= FileCnt - 1; ++i)
        if (!m_filled[i])
            return false;
    return true;
}

void ViewForm::announceFilled() {
    if (!m_announced && pageFilled()) {
        m_announced = true;
        emit thumbnailsShown();
    }
}

// Files of the page not yet started are dropped; the ones being decoded
// finish on their own and are thrown away.
void ViewForm::cancelThumbnails() {
    if (!m_loading)
        return;
    m_loading->cancel();
    m_loading = nullptr;
}

bool ViewForm::thumbnailsPending() const {
    return m_loading != nullptr;
}

void ViewForm::showThumbnail(int slot) {
    if (isPlaceholder(slot)) {
        BImage[slot]->setText(QStringLiteral("表示できません"));
    } else if (!m_images[slot].isNull()) {
        BImage[slot]->setPixmap(slotPixmap(m_images[slot], m_thumbSize));
    }
}

// Lays the six slots out in the panel, each caption under its picture, the
// grid centred; thumbnails of a larger size are fetched when the slots
// outgrow the ones shown.
void ViewForm::placeThumbnails() {
    const QRect area = Picture1->contentsRect().adjusted(Spacing, Spacing, -Spacing, -Spacing);
    const int caption = captionHeight(LabelPicNm[0]);
    const Grid grid = fitGrid(area.size(), caption);
    m_columns = grid.columns;
    m_thumbSize = grid.box;
    const int rows = PageSize / grid.columns;
    const QSize slot = grid.box + QSize(2 * Frame, 2 * Frame);
    const int cellHeight = slot.height() + Spacing / 2 + caption;
    const int width = grid.columns * slot.width() + (grid.columns - 1) * Spacing;
    const int height = rows * cellHeight + (rows - 1) * Spacing;
    const QPoint origin(area.left() + std::max(0, (area.width() - width) / 2),
                        area.top() + std::max(0, (area.height() - height) / 2));
    for (int i = 0; i < PageSize; ++i) {
        const QPoint at = origin + QPoint((i % grid.columns) * (slot.width() + Spacing),
                                          (i / grid.columns) * (cellHeight + Spacing));
        BImage[i]->setGeometry(QRect(at, slot));
        LabelPicNm[i]->setGeometry(at.x(), at.y() + slot.height() + Spacing / 2, slot.width(),
                                   caption);
        if (!LabelPicNm[i]->toolTip().isEmpty())
            setCaption(i);
        showThumbnail(i);
    }
    if (ThumbnailCache::FlavorFor(m_thumbSize) > m_flavor)
        loadThumbnails();
}

bool ViewForm::isPlaceholder(int index) const {
    return BImage[index]->property("placeholder").toBool();
}

void ViewForm::Drive1_Change() {
    const QString drive = Drive1->currentText();
    if (!QFileInfo(drive).isDir())
        return;
    showFolder(drive);
    Dir1_Change();
}

void ViewForm::openFolder(const QString& path) {
    if (!QFileInfo(path).isDir())
        return;
    showDrive(path);
    showFolder(path);
    Dir1_Change();
}

void ViewForm::Dir1_Change() {
    refreshFileList();
    BDir = m_folder;
    selectFirstFile();
}

// Another pattern lists other files: the selection starts again on the
// first one, so that the highlighted caption is always the file "読込" takes.
void ViewForm::cmbFptn_Click() {
    refreshFileList();
    selectFirstFile();
}

void ViewForm::BImage_Click(int index) {
    if (NwPg * PageSize + index > FileCnt - 1)
        return;
    PI = NwPg * PageSize + index;
    unhighlightAll();
    highlight(index, true);
    const QString name = File1->item(PI)->text();
    TextSFn->setText(name);
    pBMPPath = FolderFilePath(m_folder, name);
    BDir = m_folder;
}

void ViewForm::BImage_DblClick(int index) {
    // A double click on an empty slot takes nothing.
    if (NwPg * PageSize + index > FileCnt - 1)
        return;
    BImage_Click(index);
    Command1_Click();
}

void ViewForm::VScroll1_Change() {
    NwPg = VScroll1->value();
    unhighlightAll();
    if (!pBMPPath.isEmpty() && PI / PageSize == NwPg)
        highlight(PI % PageSize, true);
    BMPLoad();
}

void ViewForm::Command1_Click() {
    if (!CheckPicturePath(m_ui, pBMPPath))
        return;
    m_doc.card.PicColorMode = 0;
    m_doc.card.PicPath = pBMPPath;
    m_settings.setText(Section, QStringLiteral("KKCS"), QString::number(cmbFptn->currentIndex()));
    m_settings.setText(Section, QStringLiteral("BDir"), BDir);
    LoadCardPicture(m_doc, m_ui, m_app);
    m_doc.markChanged(CardChange::Picture);
    close();
}

void ViewForm::Command2_Click() {
    close();
}

void ViewForm::chooseFile(int index) {
    if (FileCnt <= 0)
        return;
    index = std::clamp(index, 0, FileCnt - 1);
    const int page = index / PageSize;
    if (page != NwPg) {
        PI = index;
        VScroll1->setValue(page); // turns the page (VScroll1_Change)
    }
    BImage_Click(index % PageSize);
}

bool ViewForm::thumbnailKey(QKeyEvent* event) {
    const int rowStep = std::max(1, m_columns);
    // Each key and the file it goes to; chooseFile keeps it in the list.
    const std::pair<int, int> moves[] = {
        {Qt::Key_Left, PI - 1},
        {Qt::Key_Right, PI + 1},
        {Qt::Key_Up, PI - rowStep},
        {Qt::Key_Down, PI + rowStep},
        {Qt::Key_PageUp, PI - PageSize},
        {Qt::Key_PageDown, PI + PageSize},
        {Qt::Key_Home, 0},
        {Qt::Key_End, FileCnt - 1},
    };
    for (const auto& [key, to] : moves) {
        if (event->key() == key) {
            chooseFile(to);
            return true;
        }
    }
    return false;
}

void ViewForm::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    QWidget* focused = focusWidget();
    // The folder list opened its folder on the key already.
    if (focused && (focused == Dir1 || Dir1->isAncestorOf(focused)))
        return;
    if (auto* button = qobject_cast<QPushButton*>(focused))
        button->click();
    else
        Command1_Click();
}

void ViewForm::closeEvent(QCloseEvent* event) {
    cancelThumbnails();
    hide();
    event->accept();
}

bool ViewForm::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::Resize && watched == Picture1)
        placeThumbnails();
    if (type == QEvent::Wheel && watched == Picture1 && VScroll1->isEnabled()) {
        QCoreApplication::sendEvent(VScroll1, event);
        return true;
    }
    if (type == QEvent::KeyPress && watched == Picture1 &&
        thumbnailKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    for (int i = 0; i < PageSize; ++i) {
        if (watched != BImage[i] && watched != LabelPicNm[i])
            continue;
        Picture1->setFocus(Qt::MouseFocusReason);
        if (type == QEvent::MouseButtonDblClick)
            BImage_DblClick(i);
        else
            BImage_Click(i);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------------ lists

void ViewForm::showDrive(const QString& folder) {
    const QString drive = DriveOf(folder);
    if (Drive1->count() == 0)
        Drive1->addItems(MountedDrives());
    int index = Drive1->findText(drive);
    if (index < 0) {
        Drive1->addItem(drive);
        index = Drive1->count() - 1;
    }
    Drive1->setCurrentIndex(index);
}

// The folder list shows the way from the drive's root down to the folder,
// then the folder's own subfolders.
void ViewForm::showFolder(const QString& path) {
    m_folder = QDir::cleanPath(QDir(path).absolutePath());
    Dir1->clear();
    QString root = Drive1->currentText();
    if (root.isEmpty() || !(m_folder == root || m_folder.startsWith(FolderFilePath(root, {}))))
        root = QStringLiteral("/");

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [](QTreeWidgetItem* item, const QString& text, const QString& path,
                  const QIcon& icon) {
        item->setText(0, text);
        item->setData(0, FolderRole, path);
        item->setIcon(0, icon);
        return item;
    };
    QTreeWidgetItem* current = add(new QTreeWidgetItem(Dir1), root, root, open);
    QString walked = root;
    for (const QString& part :
         m_folder.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked = FolderFilePath(walked, part);
        current = add(new QTreeWidgetItem(current), part, walked, open);
    }
    const QStringList subfolders =
        QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders)
        add(new QTreeWidgetItem(current), name, FolderFilePath(m_folder, name), closed);
    Dir1->expandAll();
    Dir1->setCurrentItem(current);
    Dir1->scrollToItem(current);
}

void ViewForm::refreshFileList() {
    File1->clear();
    File1->addItems(MatchingFiles(m_folder, cmbFptn->currentText()));
    FileCnt = File1->count();
}

void ViewForm::selectFirstFile() {
    {
        const QSignalBlocker quiet(VScroll1);
        VScroll1->setValue(0);
    }
    NwPg = 0;
    unhighlightAll();
    pBMPPath.clear();
    TextSFn->clear();
    PI = 0;
    BImage_Click(0);
    BMPLoad();
}

void ViewForm::highlight(int index, bool on) {
    QLabel* label = LabelPicNm[index];
    QFont f = label->font();
    f.setBold(on);
    label->setFont(f);
    QPalette p = palette();
    if (on)
        p.setColor(QPalette::Window, SelectedCaption);
    label->setPalette(p);
}

void ViewForm::unhighlightAll() {
    for (int i = 0; i < PageSize; ++i)
        highlight(i, false);
}
