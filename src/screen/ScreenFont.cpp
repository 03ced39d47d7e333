#include "screen/ScreenFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

namespace {

constexpr const char* FontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr qsizetype CellCacheLimit = 512;

QString LoadFamily() {
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(FontFile));
    if (id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return families.first();
    }
    return QStringLiteral("DejaVu Sans");
}

QFont MakeFont() {
    QFont font(LoadFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(ScreenFont::PixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

struct CellKey {
    QString text;
    QRgb colour;
    bool operator==(const CellKey&) const = default;
};

size_t qHash(const CellKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.text, key.colour);
}

} // namespace

namespace ScreenFont {

const QFont& Font() {
    static const QFont font = MakeFont();
    return font;
}

int TextWidth(const QString& text) {
    static const QFontMetrics metrics(Font());
    return metrics.horizontalAdvance(text);
}

QImage TextCell(const QString& text, QRgb colour) {
    static QHash<CellKey, QImage> cells;
    CellKey key{text, colour};
    if (auto found = cells.constFind(key); found != cells.constEnd())
        return *found;

    const int width = TextWidth(text);
    QImage cell(qMax(width, 0), LineHeight, QImage::Format_RGB32);
    cell.fill(Qt::white);
    if (width > 0) {
        QPainter painter(&cell);
        painter.setFont(Font());
        painter.setPen(QColor::fromRgb(colour));
        painter.drawText(0, QFontMetrics(Font()).ascent(), text);
    }
    if (cells.size() >= CellCacheLimit)
        cells.clear();
    cells.insert(key, cell);
    return cell;
}

} // namespace ScreenFont
