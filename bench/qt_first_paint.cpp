// The reference for the time to the first content on screen: the least a Qt 6 program
// does to show a picture. A QRasterWindow of the program's drawing area paints black
// with a small white circle, as the program's first marker, on every expose.
//
//   qt_first_paint
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

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
    window.resize(618, 508);
    window.show();
    return QGuiApplication::exec();
}
