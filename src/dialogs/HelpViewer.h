#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

class QTextBrowser;

// The help window: the program's help file "aide.hlp" (HTML, one anchor per topic) shown
// in a browser window that stays open beside the program. A missing file or topic is
// said in the window itself.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* FileName = "aide.hlp";
    static constexpr const char* ContentsTopic = "som";

    explicit HelpViewer(const QString& programFolder, QWidget* parent = nullptr);

    // Opens the help file at the topic and brings the window forward; returns at once.
    // Asked from a window over the main window (`asking`: a print window, a small window
    // that stays on top), the help belongs to that window until it is left, so it stays
    // above it and takes the mouse while it is modal, and it moves beside it when that
    // window would hide its middle.
    void ShowHelpTopic(const QString& topic, QWidget* asking = nullptr);
    // The contents page (the help context of the main window, asked for by F1).
    void ShowContents() { ShowHelpTopic(QString::fromLatin1(ContentsTopic)); }

    // Where the help goes beside the window `asking` on the screen area `screen`: on the
    // side with the most room, next to that window and centred on it along that side, as
    // large as it is (`help`) or as the room allows down to MinimumSize (or its own size
    // when smaller), kept on the screen. Nothing when no side has that room (a window that
    // fills the screen).
    static constexpr QSize MinimumSize{300, 240};
    static std::optional<QRect> PlaceBeside(const QRect& help, const QRect& asking,
                                            const QRect& screen);

    QTextBrowser* Browser() const { return browser; }
    QString CurrentTopic() const { return topic; }

private:
    QString programFolder;
    QTextBrowser* browser = nullptr;
    QString topic;
    bool placed = false;
    QMetaObject::Connection askingLeft;
};
