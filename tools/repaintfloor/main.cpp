// The least a window can do to show a moving picture at the idle animation's pace: every
// 35 ms it asks for the repaint of one rectangle of a 640 x 320 view and paints it from one
// of two prepared pictures, with no drawing of its own. scripts/measure-cpu --floor measures
// it on the same display as the program, with the rectangle the idle figure changes and
// with a single pixel: what presenting a frame costs before any drawing.
//
//   repaint_floor WIDTH HEIGHT
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class View : public QWidget {
public:
    View(QWidget* parent, QRect area) : QWidget(parent), area(area) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(640, 320);
        for (int i = 0; i < 2; ++i) {
            pictures[i] = QImage(640, 320, QImage::Format_RGB32);
            pictures[i].fill(i == 0 ? Qt::white : Qt::black);
        }
    }

    void Tick() {
        shown = 1 - shown;
        update(area);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        for (const QRect& part : event->region())
            painter.drawImage(part.topLeft(), pictures[shown], part);
    }

private:
    QRect area;
    QImage pictures[2];
    int shown = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int width = argc > 1 ? std::atoi(argv[1]) : 1;
    const int height = argc > 2 ? std::atoi(argv[2]) : 1;
    if (width < 1 || width > 640 || height < 1 || height > 320) {
        std::fprintf(stderr, "usage: repaint_floor WIDTH HEIGHT (at most 640 x 320)\n");
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("repaint floor"));
    auto* layout = new QVBoxLayout(&window);
    auto* view = new View(&window, QRect((640 - width) / 2, (320 - height) / 2, width, height));
    layout->addWidget(view);
    window.show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, view, &View::Tick);
    timer.start(35);
    return application.exec();
}
