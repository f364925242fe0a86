// The image browser on a folder of small pictures with traps in it: a FIFO
// and a folder named like pictures, a text file named like one.

#include "browser/browserfiles.h"
#include "browser/thumbnailcache.h"
#include "browser/viewform.h"
#include "testcontext.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <map>

#include <sys/stat.h>

class TestViewForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void thumbnails_data();
    void thumbnails();
    void pagesOfThirteen();
    void pagesOfTwelve();
    void patterns_data();
    void patterns();
    void storedSettings_data();
    void storedSettings();
    void doubleClickTakesPicture();
    void cancelChangesNothing();
    void emptyFolderTakesNothing();
    void naturalOrder_data();
    void naturalOrder();
    void pageChangeDropsOldThumbnails();
    void keptThumbnailsShowAtOnce();
    void gridUsesTheRoom_data();
    void gridUsesTheRoom();
    void keys_data();
    void keys();

private:
    QTemporaryDir m_cache;
};

// The shared thumbnail cache of the tests.
void TestViewForm::initTestCase() {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
}

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray encoded(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkMagenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// pics/: a01.jpg … a12 (.jpg, .JPG, every third .bmp), y.jpg a text file,
// notes.txt, x.jpg a FIFO, sub.jpg a folder.
struct Fixture {
    TestContext t;
    QString pics = t.path(QStringLiteral("pics"));
    Fixture() {
        QDir().mkpath(pics + "/sub.jpg");
        for (int i = 1; i <= 12; ++i) {
            const char* ending = i % 3 == 0 ? "bmp" : i % 2 ? "jpg" : "JPG";
            const QString name = QStringLiteral("/a%1.%2").arg(i, 2, 10, QChar('0')).arg(ending);
            writeBytes(pics + name, encoded(QSize(400, 300), i % 3 == 0 ? "bmp" : "jpg"));
        }
        writeBytes(pics + "/y.jpg", "not a picture\n");
        writeBytes(pics + "/notes.txt", "notes\n");
        QCOMPARE(mkfifo(QFile::encodeName(pics + "/x.jpg").constData(), 0600), 0);
        t.settings->setText("sti", "BDir", pics);
    }
    ViewForm* open() {
        auto* form = new ViewForm(t.doc, t.ui, *t.settings, t.app);
        form->show();
        return form;
    }
};

} // namespace

void TestViewForm::thumbnails_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size"); // 0 x 0: none
    QTest::newRow("large JPEG, scaled to fit") << "large" << QSize(128, 72);
    QTest::newRow("small picture, kept") << "small" << QSize(40, 30);
    QTest::newRow("FIFO") << "fifo" << QSize(0, 0);
    QTest::newRow("folder") << "folder" << QSize(0, 0);
    QTest::newRow("text") << "text" << QSize(0, 0);
    QTest::newRow("JPEG cut short") << "cut jpg" << QSize(0, 0);
    QTest::newRow("BMP cut short") << "cut bmp" << QSize(0, 0);
    QTest::newRow("whole BMP, scaled to fit") << "bmp" << QSize(128, 96);
}

void TestViewForm::thumbnails() {
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.jpg");
    if (kind == "large")
        writeBytes(path, encoded(QSize(1600, 900), "jpg"));
    else if (kind == "small")
        writeBytes(path, encoded(QSize(40, 30), "png"));
    else if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "text")
        writeBytes(path, "These are notes.\n");
    else if (kind == "cut jpg")
        writeBytes(path, encoded(QSize(400, 300), "jpg").chopped(200));
    else if (kind == "cut bmp")
        writeBytes(path, encoded(QSize(400, 300), "bmp").chopped(1200));
    else if (kind == "bmp")
        writeBytes(path, encoded(QSize(400, 300), "bmp"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ReadThumbnail(path, QSize(128, 96)).size(), size);
    QVERIFY(clock.elapsed() < 2000);
}

// 13 files are three pages; the third shows the 13th file, unreadable, and
// five empty slots. Paging away and back keeps the selection highlighted.
void TestViewForm::pagesOfThirteen() {
    Fixture f;
    QPointer<ViewForm> form = f.open();
    QCOMPARE(form->Drive1->itemText(0), QStringLiteral("/"));
    QCOMPARE(form->FileCnt, 13);
    QCOMPARE(form->VwPg, 2);
    QCOMPARE(form->LabelPicNm[0]->text(), QStringLiteral("1 : a01.jpg"));
    QTRY_COMPARE(form->BImage[0]->pixmap().size(), QSize(128, 96));
    QCOMPARE(form->pBMPPath, f.pics + "/a01.jpg");
    QCOMPARE(form->TextSFn->text(), QStringLiteral("a01.jpg"));
    QVERIFY(form->LabelPicNm[0]->font().bold());

    form->VScroll1->setValue(2);
    QCOMPARE(form->LabelPicNm[0]->text(), QStringLiteral("13 : y.jpg"));
    QTRY_VERIFY(form->isPlaceholder(0));
    QVERIFY(!form->LabelPicNm[0]->font().bold());
    QCOMPARE(form->LabelPicNm[1]->text(), QString());
    QVERIFY(form->BImage[5]->pixmap().isNull());
    QTest::mouseClick(form->BImage[3], Qt::LeftButton); // empty slot
    QCOMPARE(form->pBMPPath, f.pics + "/a01.jpg");

    form->VScroll1->setValue(0);
    QVERIFY(form->LabelPicNm[0]->font().bold());
    QTest::mouseClick(form->LabelPicNm[4], Qt::LeftButton);
    QCOMPARE(form->PI, 4);
    QVERIFY(!form->LabelPicNm[0]->font().bold());
    QVERIFY(form->LabelPicNm[4]->font().bold());
    form->close();
}

// 12 files fill exactly two pages: there is no third, empty one.
void TestViewForm::pagesOfTwelve() {
    Fixture f;
    QVERIFY(QFile::remove(f.pics + "/y.jpg"));
    QPointer<ViewForm> form = f.open();
    QCOMPARE(form->FileCnt, 12);
    QCOMPARE(form->VwPg, 1);
    QCOMPARE(form->VScroll1->maximum(), 1);
    form->VScroll1->setValue(1);
    QCOMPARE(form->LabelPicNm[5]->text(), QStringLiteral("12 : a12.bmp"));
    form->close();
}

void TestViewForm::patterns_data() {
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("first");
    QTest::newRow("*.JPG matches .jpg and .JPG") << 2 << 9 << "a01.jpg";
    QTest::newRow("*.GIF, none") << 3 << 0 << "";
    QTest::newRow("*.*, regular files only") << 6 << 14 << "a01.jpg";
}

// Another pattern starts the selection again on the first file.
void TestViewForm::patterns() {
    QFETCH(int, pattern);
    QFETCH(int, files);
    QFETCH(QString, first);
    Fixture f;
    QPointer<ViewForm> form = f.open();
    form->BImage_Click(1);
    form->cmbFptn->setCurrentIndex(pattern);
    form->cmbFptn_Click();
    QCOMPARE(form->FileCnt, files);
    QCOMPARE(form->VScroll1->isEnabled(), files > 6);
    QCOMPARE(form->pBMPPath, first.isEmpty() ? QString() : f.pics + '/' + first);
    form->close();
}

void TestViewForm::storedSettings_data() {
    QTest::addColumn<QString>("kkcs");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QString>("folder");
    QTest::newRow("folder and pattern") << "2" << 2 << "pics";
    QTest::newRow("pattern not a number") << "x" << 0 << "pics";
    QTest::newRow("folder gone") << "6" << 6 << "gone";
}

void TestViewForm::storedSettings() {
    QFETCH(QString, kkcs);
    QFETCH(int, pattern);
    QFETCH(QString, folder);
    Fixture f;
    f.t.settings->setText("sti", "BDir", f.t.path(folder));
    f.t.settings->setText("sti", "KKCS", kkcs);
    QPointer<ViewForm> form = f.open();
    QCOMPARE(form->cmbFptn->currentIndex(), pattern);
    QCOMPARE(form->folderPath(), folder == "pics" ? f.pics : QDir::currentPath());
    form->close();
}

void TestViewForm::doubleClickTakesPicture() {
    Fixture f;
    f.t.doc.card.PicColorMode = 3;
    QPointer<ViewForm> form = f.open();
    form->cmbFptn->setCurrentIndex(2);
    form->cmbFptn_Click();
    QTest::mouseDClick(form->BImage[1], Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form.isNull());
    QCOMPARE(f.t.doc.card.PicPath, f.pics + "/a02.JPG");
    QCOMPARE(f.t.doc.card.PicColorMode, 0);
    QCOMPARE(f.t.doc.ChangedFlg, 1);
    QVERIFY(!f.t.doc.pictureImage().isNull());
    QCOMPARE(f.t.view.pictureShows, 1);
    QCOMPARE(f.t.settings->text("sti", "BDir", {}), f.pics);
    QCOMPARE(f.t.settings->text("sti", "KKCS", {}), QStringLiteral("2"));
    QCOMPARE(f.t.ui.texts(), QStringList{});
}

void TestViewForm::cancelChangesNothing() {
    Fixture f;
    QPointer<ViewForm> form = f.open();
    form->BImage_Click(2);
    form->Command2->click();
    QCOMPARE(f.t.doc.card.PicPath, QString());
    QCOMPARE(f.t.doc.ChangedFlg, 0);
    QCOMPARE(f.t.settings->text("sti", "KKCS", "unset"), QStringLiteral("unset"));
    QCOMPARE(f.t.view.redrawCalls, 0);
}

// "読込" in a folder without pictures takes the card's picture away.
void TestViewForm::emptyFolderTakesNothing() {
    Fixture f;
    f.t.doc.card.PicPath = f.pics + "/a01.jpg";
    f.t.doc.history().reset(); // this card as it was opened
    QPointer<ViewForm> form = f.open();
    form->VScroll1->setValue(1);
    form->openFolder(f.pics + "/sub.jpg");
    QCOMPARE(form->FileCnt, 0);
    QCOMPARE(form->NwPg, 0);
    QCOMPARE(form->BDir, f.pics + "/sub.jpg");
    QVERIFY(!form->VScroll1->isEnabled());
    form->Command1->click();
    QCOMPARE(f.t.doc.card.PicPath, QString());
    QCOMPARE(f.t.doc.ChangedFlg, 1);
}

void TestViewForm::naturalOrder_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("numbers by value") << QStringList{"photo_10.jpg", "photo_2.jpg", "photo_1.jpg"}
                                      << QStringList{"photo_1.jpg", "photo_2.jpg", "photo_10.jpg"};
    QTest::newRow("case ignored") << QStringList{"b.jpg", "A10.JPG", "a9.jpg"}
                                  << QStringList{"a9.jpg", "A10.JPG", "b.jpg"};
    QTest::newRow("numbers inside") << QStringList{"x12y3.jpg", "x12y20.jpg", "x2y30.jpg"}
                                    << QStringList{"x2y30.jpg", "x12y3.jpg", "x12y20.jpg"};
}

void TestViewForm::naturalOrder() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, order);
    QTemporaryDir dir;
    for (const QString& name : names)
        writeBytes(dir.filePath(name), "x");
    QCOMPARE(MatchingFiles(dir.path(), ViewForm::Patterns()[0]), order);
}

// Page 0 holds landscape pictures, page 1 mostly portrait ones: after paging there
// and back at once, only page 0's thumbnails are shown.
void TestViewForm::pageChangeDropsOldThumbnails() {
    Fixture f;
    for (int i = 13; i <= 18; ++i)
        writeBytes(f.pics + QStringLiteral("/b%1.jpg").arg(i), encoded(QSize(300, 400), "jpg"));
    // *.JPG: a01 … a08 on page 0, a10, a11, b13 … b16 on page 1.
    f.t.settings->setText("sti", "KKCS", "2");
    QPointer<ViewForm> form = f.open();
    QCOMPARE(form->FileCnt, 15);
    form->VScroll1->setValue(1);
    QVERIFY(form->thumbnailsPending());
    form->VScroll1->setValue(0);
    QTRY_VERIFY(!form->thumbnailsPending());
    QTest::qWait(200); // anything of the dropped page that was still coming
    for (int i = 0; i < ViewForm::PageSize; ++i)
        QCOMPARE(form->BImage[i]->pixmap().size(), QSize(128, 96));
    form->close();
}

// Thumbnails the shared cache keeps (here: green ones another program left)
// fill the page as the window opens, before any event is served; a picture
// without one comes from the thread pool.
void TestViewForm::keptThumbnailsShowAtOnce() {
    Fixture f;
    const ThumbnailCache cache;
    const QStringList names = MatchingFiles(f.pics, ViewForm::Patterns()[0]);
    QVERIFY(names.size() > ViewForm::PageSize);
    for (int i = 0; i < ViewForm::PageSize; ++i) {
        const QFileInfo file(FolderFilePath(f.pics, names[i]));
        QImage green(128, 96, QImage::Format_ARGB32);
        green.fill(Qt::green);
        const ThumbnailCache::Source source{ThumbnailCache::FileUri(file.absoluteFilePath()),
                                            file.lastModified().toSecsSinceEpoch(), file.size()};
        if (i != 4)
            QVERIFY(cache.store(source, green, ThumbnailCache::Normal));
    }
    QPointer<ViewForm> form = f.open();
    for (int i = 0; i < ViewForm::PageSize; ++i) {
        const QImage shown = form->BImage[i]->pixmap().toImage();
        QCOMPARE(shown.isNull(), i == 4);
        if (i != 4)
            QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::green));
    }
    QVERIFY(form->thumbnailsPending());
    QTRY_VERIFY(form->pageFilled());
    // The picture itself, dark magenta (a JPEG's colours are near, not exact).
    const QColor decoded = form->BImage[4]->pixmap().toImage().pixelColor(10, 10);
    QVERIFY(decoded.red() > 100 && decoded.green() < 30 && decoded.blue() > 100);
    form->close();
}

void TestViewForm::gridUsesTheRoom_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("larger");
    QTest::newRow("first size") << QSize() << 3 << false;
    QTest::newRow("larger all round") << QSize(1300, 820) << 3 << true;
    QTest::newRow("wide and low") << QSize(1900, 420) << 6 << true;
}

void TestViewForm::gridUsesTheRoom() {
    QFETCH(QSize, window);
    QFETCH(int, columns);
    QFETCH(bool, larger);
    Fixture f;
    QPointer<ViewForm> form = f.open();
    if (window.isValid())
        form->resize(window);
    QTRY_VERIFY(!form->thumbnailsPending());
    QCOMPARE(form->gridColumns(), columns);
    QCOMPARE(form->thumbnailBox().width() > ViewForm::SmallestBox.width(), larger);
    // The pictures of 400 × 300 fill their slots.
    QTRY_COMPARE(form->BImage[0]->pixmap().size(), form->thumbnailBox());
    for (int i = 0; i < ViewForm::PageSize; ++i) {
        const QRect picture = form->BImage[i]->geometry();
        const QRect caption = form->LabelPicNm[i]->geometry();
        QVERIFY(caption.top() > picture.bottom());
        QCOMPARE(caption.left(), picture.left());
        QVERIFY(form->Picture1->rect().contains(caption));
        if (i % columns)
            QCOMPARE(picture.top(), form->BImage[i - 1]->geometry().top());
    }
    form->close();
}

QTEST_MAIN(TestViewForm)
#include "test_viewform.moc"

void TestViewForm::keys_data() {
    // l r u d: arrows, H/E: Home/End, N/P: PageDown/PageUp, \t: Tab,
    // \n: Enter; pressed from the widget named first. Thirteen files, three
    // to a row, six to a page.
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("focus");   // empty: the window closed
    QTest::addColumn<QString>("picture"); // its name shown, or taken when closed
    QTest::addColumn<QString>("folder");
    const auto row = [](const char* tag, const char* from, const char* keys, const char* focus,
                        const char* picture, const char* folder = "") {
        QTest::newRow(tag) << from << keys << focus << picture << folder;
    };
    row("along a row", "Picture1", "rrl", "Picture1", "a02.JPG");
    row("first stays first", "Picture1", "lu", "Picture1", "a01.jpg");
    row("down onto the next page", "Picture1", "dd", "Picture1", "a07.jpg");
    row("down and up", "Picture1", "ddur", "Picture1", "a05.jpg");
    row("end, left", "Picture1", "El", "Picture1", "a12.bmp");
    row("end, home", "Picture1", "EH", "Picture1", "a01.jpg");
    row("pages down past the end", "Picture1", "NNNP", "Picture1", "a07.jpg");
    row("Enter takes the picture", "Picture1", "r\n", "", "a02.JPG");
    row("Enter opens a folder", "Dir1", "d\n", "Dir1", "", "/sub.jpg");
    row("Tab to the thumbnails", "Drive1", "\t\t\tr", "Picture1", "a02.JPG");
    row("Tab to the name, the buttons", "Picture1", "r\t\t", "Command1", "a02.JPG");
    row("Tab to cancel, Enter", "Drive1", "r\t\t\t\t\t\t\n", "", "");
}

// The browser is used without the mouse: the arrow keys choose among the
// thumbnails across pages, Enter takes the picture or opens the folder
// chosen, or presses the button in focus, and Tab goes as the window reads.
void TestViewForm::keys() {
    QFETCH(QString, from);
    QFETCH(QString, keys);
    QFETCH(QString, focus);
    QFETCH(QString, picture);
    QFETCH(QString, folder);
    Fixture f;
    QPointer<ViewForm> form = f.open();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->findChild<QWidget*>(from)->setFocus();
    const std::map<QChar, Qt::Key> named{{u'l', Qt::Key_Left},     {u'r', Qt::Key_Right},
                                         {u'u', Qt::Key_Up},       {u'd', Qt::Key_Down},
                                         {u'H', Qt::Key_Home},     {u'E', Qt::Key_End},
                                         {u'N', Qt::Key_PageDown}, {u'P', Qt::Key_PageUp},
                                         {u'\t', Qt::Key_Tab},     {u'\n', Qt::Key_Return}};
    for (const QChar c : keys)
        QTest::keyClick(QApplication::focusWidget(), named.at(c));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (focus.isEmpty()) {
        QVERIFY(form.isNull() || !form->isVisible());
        QCOMPARE(QFileInfo(f.t.doc.card.PicPath).fileName(), picture);
        return;
    }
    QVERIFY(form && form->isVisible());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(form->TextSFn->text(), picture);
    QCOMPARE(form->NwPg, form->FileCnt ? form->PI / ViewForm::PageSize : 0);
    QCOMPARE(form->BDir, f.pics + folder);
    QCOMPARE(f.t.doc.card.PicPath, QString());
    form->close();
}
