#include "DataGen.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <vector>

namespace datagen {

namespace {
QString gSans = QStringLiteral("DejaVu Sans");
QString gSerif = QStringLiteral("DejaVu Serif");
} // namespace

void RegisterFonts() {
    const char* const files[] = {"DejaVuSans.ttf",         "DejaVuSans-Bold.ttf",
                                 "DejaVuSerif.ttf",        "DejaVuSerif-Bold.ttf",
                                 "DejaVuSerif-Italic.ttf", "DejaVuSerif-BoldItalic.ttf"};
    const QString folder = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    for (const char* f : files) {
        const QString path = folder + QLatin1String(f);
        if (!QFile::exists(path) || QFontDatabase::addApplicationFont(path) < 0)
            std::fprintf(stderr, "datagen: font %s not found, pictures will differ\n", f);
    }
}

QString SansFamily() {
    return gSans;
}
QString SerifFamily() {
    return gSerif;
}

QImage TransparentPicture(int w, int h, const std::function<void(QPainter&)>& paint) {
    QImage layer(w, h, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paint(p);
    }
    QImage out(w, h, QImage::Format_RGB32);
    const QRgb key = kPanel.rgb();
    for (int y = 0; y < h; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(src[x]);
            if (a == 0) {
                dst[x] = key;
                continue;
            }
            auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            int r = mix(qRed(src[x]), kPanel.red());
            const int g = mix(qGreen(src[x]), kPanel.green());
            const int b = mix(qBlue(src[x]), kPanel.blue());
            if (qRgb(r, g, b) == key)
                r -= 1; // keep drawn pixels opaque when the key colour is masked out
            dst[x] = qRgb(r, g, b);
        }
    }
    return out;
}

bool SaveBmp(const QImage& image, const QDir& out, const QString& name) {
    const QString path = out.filePath(name);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!rgb.save(path, "BMP")) {
        std::fprintf(stderr, "datagen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

namespace {

struct ColourCount {
    QRgb colour;
    qint64 count;
};

int Channel(QRgb c, int k) {
    return k == 0 ? qRed(c) : k == 1 ? qGreen(c) : qBlue(c);
}

struct Box {
    std::vector<ColourCount> colours;
    qint64 population = 0;
    int widest = 0; // channel with the largest range
    int range = 0;

    void Measure() {
        population = 0;
        range = 0;
        for (const ColourCount& c : colours)
            population += c.count;
        for (int k = 0; k < 3; ++k) {
            int lo = 255, hi = 0;
            for (const ColourCount& c : colours) {
                lo = std::min(lo, Channel(c.colour, k));
                hi = std::max(hi, Channel(c.colour, k));
            }
            if (hi - lo > range) {
                range = hi - lo;
                widest = k;
            }
        }
    }
    double Score() const { return colours.size() < 2 ? -1.0 : double(range) * double(population); }
};

std::vector<QRgb> MedianCutPalette(const std::map<QRgb, qint64>& histogram, int size) {
    std::vector<Box> boxes(1);
    for (const auto& [colour, count] : histogram)
        boxes[0].colours.push_back({colour, count});
    boxes[0].Measure();
    while (int(boxes.size()) < size) {
        auto it = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.Score() < b.Score();
        });
        if (it->Score() <= 0.0)
            break;
        Box& box = *it;
        const int k = box.widest;
        std::sort(box.colours.begin(), box.colours.end(),
                  [k](const ColourCount& a, const ColourCount& b) {
                      const int ca = Channel(a.colour, k), cb = Channel(b.colour, k);
                      return ca != cb ? ca < cb : a.colour < b.colour;
                  });
        // Split at the weighted median, keeping at least one colour on each side.
        qint64 seen = 0;
        std::size_t cut = 1;
        for (; cut < box.colours.size() - 1; ++cut) {
            seen += box.colours[cut - 1].count;
            if (2 * seen >= box.population)
                break;
        }
        Box upper;
        upper.colours.assign(box.colours.begin() + cut, box.colours.end());
        box.colours.resize(cut);
        box.Measure();
        upper.Measure();
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        std::array<double, 3> sum{};
        for (const ColourCount& c : box.colours)
            for (int k = 0; k < 3; ++k)
                sum[k] += double(Channel(c.colour, k)) * double(c.count);
        auto mean = [&](int k) { return int(sum[k] / double(box.population) + 0.5); };
        palette.push_back(qRgb(mean(0), mean(1), mean(2)));
    }
    return palette;
}

} // namespace

bool SaveBmp8(const QImage& image, const QDir& out, const QString& name) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, qint64> histogram;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++histogram[line[x] | 0xff000000u];
    }
    const std::vector<QRgb> palette = MedianCutPalette(histogram, 256);
    std::map<QRgb, uchar> index;
    for (const auto& [colour, count] : histogram) {
        int best = 0;
        int bestDistance = 1 << 30;
        for (int i = 0; i < int(palette.size()); ++i) {
            int d = 0;
            for (int k = 0; k < 3; ++k) {
                const int e = Channel(colour, k) - Channel(palette[i], k);
                d += e * e;
            }
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        index[colour] = uchar(best);
    }
    // Written by hand: the row padding must be zero for the output to be reproducible.
    const int w = rgb.width();
    const int h = rgb.height();
    const int stride = (w + 3) / 4 * 4;
    const quint32 offset = 14 + 40 + 4 * 256;
    QByteArray b;
    LittleEndian le{b};
    b += "BM";
    le.U32(offset + quint32(stride * h));
    le.U32(0);
    le.U32(offset);
    le.U32(40); // BITMAPINFOHEADER
    le.U32(quint32(w));
    le.U32(quint32(h)); // bottom-up rows
    le.U16(1);
    le.U16(8);
    le.U32(0); // no compression
    le.U32(quint32(stride * h));
    le.U32(3780); // 96 dpi
    le.U32(3780);
    le.U32(256);
    le.U32(0);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < int(palette.size()) ? palette[i] : 0;
        b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x)
            b.append(char(index[line[x] | 0xff000000u]));
        b.append(QByteArray(stride - w, '\0'));
    }
    QFile file(out.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(b) != b.size()) {
        std::fprintf(stderr, "datagen: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    file.close();
    // Read it back: the picture must load as written.
    QImage check(file.fileName());
    if (check.size() != rgb.size() ||
        check.pixel(0, h - 1) != palette[index.at(rgb.pixel(0, h - 1))]) {
        std::fprintf(stderr, "datagen: %s does not read back\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace datagen
