// Drawing one line on the canvas, one drag step, and rendering the card image,
// on a card with twelve filled lines with 3D text and a background picture;
// and what one change of a setting costs the window's thread.
#include "app/cardsession.h"
#include "app/mainform.h"
#include "app/newcard.h"
#include "app/session.h"
#include "base/consoleui.h"
#include "base/settings.h"
#include "editor/cardcanvas.h"
#include "editor/cardimage.h"
#include "print/pdfprinter.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Editor {
    QTemporaryDir dir;
    ConsoleUi ui;
    Settings settings{dir.filePath(QStringLiteral("qvrs.ini"))};
    PdfOnlyPrinterHost host;
    Session m{ui, settings, host};
    MainForm form{m};

    Editor() {
        m.app.DataFolder = dir.path();
        NewCard(m);
        const char16_t* texts[] = {u"山田　太郎",
                                   u"㈱クイロ商会",
                                   u"営業部",
                                   u"課長",
                                   u"東京都千代田区丸の内１－２－３",
                                   u"TEL 03-1234-5678",
                                   u"FAX 03-1234-5679",
                                   u"090-1234-5678",
                                   u"pager 12345",
                                   u"taro@example.jp",
                                   u"受付 9:00～17:00",
                                   u"https://example.jp"};
        for (int i = 0; i < LineCount; ++i) {
            TextItem& t = m.doc.card.TextItems[i];
            t.Text = QString::fromUtf16(texts[i]);
            t.FontName = QStringLiteral("IPAGothic");
            t.KageOn = true;
            t.KageColor = 0x808080;
            t.KageTakasa = 0.5;
        }
        // A photo-sized background picture on the canvas.
        QImage photo(4000, 3000, QImage::Format_RGB32);
        photo.fill(QColor(200, 220, 240));
        m.doc.picture.set(m.doc.card, photo);
        m.doc.announcePicture(true);
        form.show();
        form.redrawCard();
        QApplication::processEvents();
    }
};

// The one editor of the run: made on first use, destroyed in main while the
// application still exists (a function-level static would outlive it).
std::unique_ptr<Editor> theEditor;

Editor& editor() {
    if (!theEditor)
        theEditor = std::make_unique<Editor>();
    return *theEditor;
}

void DrawTextItem(benchmark::State& state) {
    Editor& e = editor();
    int n = 0;
    for (auto _ : state) {
        e.m.doc.card.TextItems[4].Text = (n++ % 2)
                                             ? QStringLiteral("東京都千代田区丸の内１－２－３")
                                             : QStringLiteral("東京都千代田区丸の内１－２－４");
        e.form.Picture1->DrawTextItem(4);
    }
}
BENCHMARK(DrawTextItem)->Unit(benchmark::kMicrosecond);

// The same with the canvas repainted, as the screen shows it.
void DrawTextItemPainted(benchmark::State& state) {
    Editor& e = editor();
    int n = 0;
    for (auto _ : state) {
        e.m.doc.card.TextItems[4].Text = (n++ % 2)
                                             ? QStringLiteral("東京都千代田区丸の内１－２－３")
                                             : QStringLiteral("東京都千代田区丸の内１－２－４");
        e.form.Picture1->DrawTextItem(4);
        e.form.Picture1->repaint();
    }
}
BENCHMARK(DrawTextItemPainted)->Unit(benchmark::kMicrosecond);

void DragStep(benchmark::State& state) {
    Editor& e = editor();
    e.form.Picture1->MJLabel_MouseDown(0, 100, 100);
    int n = 0;
    for (auto _ : state) {
        const double d = (n++ % 2) ? 30 : -30; // 0.5 mm back and forth
        e.form.Picture1->MJLabel_MouseMove(100 + d, 100 + d);
        e.form.Picture1->repaint();
    }
    e.form.Picture1->MJLabel_MouseUp();
}
BENCHMARK(DragStep)->Unit(benchmark::kMicrosecond);

void RenderCardImage(benchmark::State& state) {
    Editor& e = editor();
    for (auto _ : state) {
        e.m.app.ImgScale = int(state.range(0));
        const QImage image = RenderCardImage(e.m.doc.card, e.m.doc.pictureImage(),
                                             e.m.doc.logoImage(), CardImageLook(e.m), e.m.ui());
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(RenderCardImage)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

// One setting changed and the event loop turned, as the window does: the
// settings store writes its private copy then. Argument 0: the copies in the
// temporary folder (no session runtime folder); 1: in a runtime folder on a
// memory file system, as a desktop session has it.
void SettingChange(benchmark::State& state) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir runtime(QStringLiteral("/dev/shm/quillo-bench-XXXXXX"));
    if (state.range(0) == 1 && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    else
        qunsetenv("XDG_RUNTIME_DIR");
    QTemporaryDir home;
    Settings settings(home.filePath(QStringLiteral("qvrs.ini")));
    int n = 0;
    for (auto _ : state) {
        settings.setText(QStringLiteral("sti"), QStringLiteral("file"), QString::number(++n));
        QCoreApplication::processEvents();
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}
BENCHMARK(SettingChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theEditor.reset();
    return 0;
}
