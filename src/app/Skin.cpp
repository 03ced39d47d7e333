#include "app/Skin.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

// Outside any namespace, as the resource initialiser requires.
static void InitSkinResource() {
    Q_INIT_RESOURCE(skin);
}

namespace Skin {

QString StyleSheet() {
    InitSkinResource();
    QFile file(QStringLiteral(":/skin/skin.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QPalette Palette() {
    const QColor panel(0xd5, 0xda, 0xe0);
    const QColor text(0x1a, 0x1f, 0x26);
    const QColor greyed(0x8a, 0x90, 0x99);
    QPalette p(panel);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::PlaceholderText, greyed);
    }
    p.setColor(QPalette::Window, panel);
    p.setColor(QPalette::Button, QColor(0xe4, 0xe7, 0xeb));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xee, 0xf1, 0xf4));
    p.setColor(QPalette::Highlight, QColor(0x36, 0x59, 0x7d));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xfb, 0xe6));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x1d, 0x4f, 0x91));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, greyed);
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xe4, 0xe7, 0xeb));
    return p;
}

void Apply(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(Palette());
    application.setStyleSheet(StyleSheet());
}

} // namespace Skin
