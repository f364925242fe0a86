#include "logofile.h"

#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/carddocument.h"
#include "document/cardfile.h"
#include "picture/cardpicture.h"

#include <QFile>
#include <QFileInfo>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <optional>

namespace {

// An SVG is read whole; a logo of more than this is no logo.
constexpr qint64 MaxSvgBytes = 16 * 1024 * 1024;

bool looksLikeSvg(const QString& path) {
    const QString ending = QFileInfo(path).suffix().toLower();
    if (ending == u"svg")
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(1024);
    return head.contains("<svg") && !head.startsWith("\x89PNG");
}

RuntimeError unusableSvg(const QString& why) {
    return RuntimeError(RuntimeError::InvalidPicture, why);
}

DecodedLogo readSvg(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PermissionDenied);
    if (f.size() > MaxSvgBytes)
        throw unusableSvg(QStringLiteral("SVGファイルが大きすぎて読み込めません。"));
    const QByteArray data = f.readAll();
    const QString problem = SvgProblem(data);
    if (!problem.isEmpty())
        throw unusableSvg(problem);
    DecodedLogo logo;
    logo.svg = std::make_shared<QSvgRenderer>(data);
    if (!logo.svg->isValid())
        throw RuntimeError(RuntimeError::InvalidPicture);
    // The drawing's shape is its view box's, which the renderer maps onto
    // the logo's place; without one, its width and height.
    const QRectF box = logo.svg->viewBoxF();
    logo.size = box.isValid() && !box.isEmpty() ? box.size() : QSizeF(logo.svg->defaultSize());
    if (logo.size.isEmpty())
        throw unusableSvg(QStringLiteral("SVGの大きさがわかりません (width、height、viewBox)。"));
    return logo;
}

// Where an SVG feature's name appears: as an element, or as the attribute
// or style property that refers to one.
struct SvgFeature {
    const char* element;
    const char* property;
    const char16_t* name;
};

constexpr SvgFeature Undrawable[] = {
    {"clipPath", "clip-path", u"クリップパス (clipPath)"},
    {"mask", "mask", u"マスク (mask)"},
    {"filter", "filter", u"フィルター (filter)"},
    {"pattern", nullptr, u"パターン (pattern)"},
    {"marker", "marker", u"マーカー (marker)"},
    {"symbol", nullptr, u"シンボル (symbol)"},
    {"foreignObject", nullptr, u"foreignObject"},
};

bool usesProperty(const QXmlStreamAttributes& attributes, const char* property) {
    const QString name = QString::fromLatin1(property);
    for (const QXmlStreamAttribute& a : attributes) {
        const QStringView attribute = a.name();
        if ((attribute == name || attribute.startsWith(name + u'-')) && a.value() != u"none")
            return true;
        if (attribute == u"style") {
            for (QStringView part : a.value().split(u';')) {
                const qsizetype colon = part.indexOf(u':');
                if (colon < 0)
                    continue;
                const QStringView key = part.left(colon).trimmed();
                const QStringView value = part.mid(colon + 1).trimmed();
                if ((key == name || key.startsWith(name + u'-')) && value != u"none")
                    return true;
            }
        }
    }
    return false;
}

void reportUnusable(UiServices& ui, const QString& path, const RuntimeError& e) {
    QString text = QStringLiteral("ロゴの画像ファイルが見つかりません");
    if (e.number() != RuntimeError::FileNotFound)
        text = QStringLiteral("ロゴの画像ファイルを使えません。") + e.description();
    ui.message(text,
               UiServices::fileDetail(path, QStringLiteral("名刺はロゴなしで表示・印刷します")));
}

// Reads the logo, or tells the user why it cannot be used.
std::optional<DecodedLogo> readReporting(UiServices& ui, const QString& path) {
    try {
        return ReadLogo(path);
    } catch (const RuntimeError& e) {
        reportUnusable(ui, path, e);
    } catch (const std::bad_alloc&) {
        reportUnusable(ui, path, RuntimeError(RuntimeError::OutOfMemory));
    }
    return std::nullopt;
}

} // namespace

const char16_t* const LogoFilter = u"ロゴ画像|*.png *.jpg *.jpeg *.bmp *.svg|すべてのファイル|*|";

QString SvgProblem(const QByteArray& svg) {
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        for (const SvgFeature& f : Undrawable) {
            if (xml.name() == QLatin1String(f.element) ||
                (f.property && usesProperty(xml.attributes(), f.property)))
                return QStringLiteral("このSVGは%1を使っているため、正しく描けません。")
                    .arg(QString::fromUtf16(f.name));
        }
    }
    if (xml.hasError())
        return QStringLiteral("SVGファイルとして読めません。");
    return {};
}

DecodedLogo ReadLogo(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(RuntimeError::FileNotFound);
    if (!info.isFile())
        throw RuntimeError(RuntimeError::PathFileAccess);
    if (looksLikeSvg(path))
        return readSvg(path);
    DecodedLogo logo;
    logo.raster = ReadPicture(path, true);
    logo.size = logo.raster.size();
    return logo;
}

bool LoadCardLogo(CardDocument& doc, UiServices& ui) {
    const CardLogo& wanted = doc.card.Logo;
    if (!wanted.On) {
        doc.announce(CardPart::Logo);
        return true;
    }
    std::optional<DecodedLogo> logo;
    if (wanted.Path.isEmpty())
        ui.message(QStringLiteral("ロゴの画像ファイルが選ばれていません。"));
    else
        logo = readReporting(ui, wanted.Path);
    const bool usable = logo.has_value();
    // A file that failed counts as decoded for its name: it is not tried
    // again until another file is chosen.
    doc.logo.set(doc.card, logo.value_or(DecodedLogo()));
    doc.announce(CardPart::Logo);
    return usable;
}

bool PrepareCardLogo(CardDocument& doc, UiServices& ui) {
    if (!doc.card.Logo.On || doc.logo.isFor(doc.card))
        return !doc.card.Logo.On || !doc.logoImage().isNull();
    return LoadCardLogo(doc, ui);
}

bool ChooseLogoFile(CardDocument& doc, UiServices& ui, const QString& path) {
    const QString problem = UnstorableText(LogoPathName(), path);
    if (!problem.isEmpty()) {
        ui.beep();
        ui.message(problem + QStringLiteral("\r\nこの画像はロゴにできません。"));
        return false;
    }
    std::optional<DecodedLogo> logo = readReporting(ui, path);
    if (!logo)
        return false;
    CardLogo& current = doc.card.Logo;
    const QSizeF card = CardSize(doc.card);
    if (current.Width <= 0) {
        current = DefaultCardLogo(path, logo->aspect(), card.width(), card.height());
    } else {
        current.On = true;
        current.Path = path;
    }
    doc.logo.set(doc.card, std::move(*logo));
    // The canvas keeps the logo on the card, and the window shows it.
    doc.markChanged(CardChange::Logo);
    return true;
}
