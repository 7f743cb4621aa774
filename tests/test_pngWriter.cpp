// PNG files with the fewest bits a pixel that hold the picture's colours.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "output/PictureRaster.h"
#include "output/PngWriter.h"

namespace voroquarn {
namespace {

// A device that refuses every byte, as a full disk does.
class RefusingDevice final : public QIODevice {
protected:
    qint64 readData(char* /*data*/, qint64 /*maxLength*/) override { return -1; }
    qint64 writeData(const char* /*data*/, qint64 /*length*/) override { return -1; }
};

TEST(PngWriter, WritesTheFewestBitsThatHoldThePaletteAndDecodesToThePicture)
{
    struct Case {
        int colours;
        int bitDepth;
    };
    const Case cases[] = {{2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {40, 8}};
    for (const Case& c : cases) {
        PictureRaster picture(QSize(13, 7));  // lines end inside a byte at every depth
        for (int k = 1; k < c.colours; ++k) {
            picture.setPixel(static_cast<float>(k % 13), static_cast<float>(k / 13),
                             k == 1 ? WHITE : static_cast<Colour>(k * 0x050301));
        }
        picture.setPixel(12, 6, WHITE);
        ASSERT_EQ(picture.image().colorCount(), c.colours);

        // The same file from the picture as it is held (1, 4 or 8 bits a pixel) and
        // from the image of one or eight.
        QBuffer file;
        QBuffer fromImage;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && fromImage.open(QIODevice::WriteOnly));
        ASSERT_FALSE(writePng(picture.lines(), file)) << c.colours;
        ASSERT_FALSE(writePng(picture.image(), fromImage)) << c.colours;
        const QByteArray bytes = file.data();
        EXPECT_EQ(bytes, fromImage.data()) << c.colours;
        EXPECT_EQ(bytes.at(24), c.bitDepth) << c.colours;  // in the header chunk
        EXPECT_EQ(bytes.at(25), 3) << c.colours;           // colour type: palette
        EXPECT_EQ(QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGB32),
                  picture.image().convertToFormat(QImage::Format_RGB32))
            << c.colours;
    }

    // A device that takes nothing is named as the fault.
    RefusingDevice refusing;
    ASSERT_TRUE(refusing.open(QIODevice::WriteOnly));
    const auto failure = writePng(PictureRaster(QSize(5, 5)).image(), refusing);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, PngFailure::Kind::Device);
}

}  // namespace
}  // namespace voroquarn
