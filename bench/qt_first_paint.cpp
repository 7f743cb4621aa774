// The reference for the time to the first content on screen: the least a Qt 6 program
// does to show a picture. A QRasterWindow of the program's drawing area paints black
// with a small white circle, as the program's first marker, on every expose.
//
//   qt_first_paint [WIDTHxHEIGHT]     618x508 unless given
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <cstdio>

namespace {

class FirstPaint final : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), Qt::black);
        painter.setPen(Qt::white);
        painter.drawEllipse(QPointF(112.4, 87.9), 3.0, 3.0);
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    const QGuiApplication app(argc, argv);
    FirstPaint window;
    window.setTitle(QStringLiteral("First paint"));
    int width = 618;
    int height = 508;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: qt_first_paint [WIDTHxHEIGHT]\n");
        return 2;
    }
    window.resize(width, height);
    window.show();
    return QGuiApplication::exec();
}
