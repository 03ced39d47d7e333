#pragma once

#include <QString>
#include <QWidget>

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
    void ShowHelpTopic(const QString& topic);
    // The contents page (the help context of the main window, asked for by F1).
    void ShowContents() { ShowHelpTopic(QString::fromLatin1(ContentsTopic)); }

    QTextBrowser* Browser() const { return browser; }
    QString CurrentTopic() const { return topic; }

private:
    QString programFolder;
    QTextBrowser* browser = nullptr;
    QString topic;
    bool placed = false;
};
