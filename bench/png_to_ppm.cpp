// Converts a PNG picture (the program's --output) to binary PPM, which probe_program
// compares a window with without a PNG decoder of its own.
//
//   png_to_ppm INPUT.png OUTPUT.ppm
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: png_to_ppm INPUT.png OUTPUT.ppm\n");
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull() || !picture.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[2]), "PPM")) {
        std::fprintf(stderr, "png_to_ppm: cannot convert %s to %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
