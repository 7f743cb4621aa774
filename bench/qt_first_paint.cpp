// The reference for the time to the first content on screen: the least a Qt 6 program
// does to show a picture. A QRasterWindow of the program's drawing area paints black
// with a small white circle, as the program's first marker, on every expose; with
// --label also a weight beside it, in the default font without smoothing, as the
// program labels its markers.
//
//   qt_first_paint [WIDTHxHEIGHT] [--label]     618x508 unless given
#include <QGuiApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QRasterWindow>
#include <cstdio>
#include <cstring>

namespace {

class FirstPaint final : public QRasterWindow {
public:
    explicit FirstPaint(bool label) : label_(label) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), Qt::black);
        painter.setPen(Qt::white);
        painter.drawEllipse(QPointF(112.4, 87.9), 3.0, 3.0);
        if (label_) {
            QFont font = QGuiApplication::font();
            font.setStyleStrategy(QFont::NoAntialias);
            painter.setFont(font);
            painter.drawText(QPointF(112.4, 87.9 + QFontMetricsF(font).ascent()), QStringLiteral("978"));
        }
    }

private:
    bool label_;
};

}  // namespace

int main(int argc, char* argv[])
{
    const QGuiApplication app(argc, argv);
    int width = 618;
    int height = 508;
    bool label = false;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--label") == 0) {
            label = true;
        } else if (std::sscanf(argv[k], "%dx%d", &width, &height) != 2) {
            std::fprintf(stderr, "usage: qt_first_paint [WIDTHxHEIGHT] [--label]\n");
            return 2;
        }
    }
    FirstPaint window(label);
    window.setTitle(QStringLiteral("First paint"));
    window.resize(width, height);
    window.show();
    return QGuiApplication::exec();
}
