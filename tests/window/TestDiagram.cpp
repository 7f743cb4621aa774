#include "TestDiagram.h"

#include <QFile>
#include <QProcess>

namespace voroquarn::testing {

namespace {

// Nine sites on a rough 3 by 3 grid; the weights differ by less than 2 %, so every
// boundary is a nearly straight arc of a huge circle and each pair's sweeps cross the
// whole window.
const std::vector<QPoint> SITES = {{170, 140}, {500, 120}, {830, 150}, {150, 400}, {510, 390},
                                   {850, 420}, {180, 660}, {490, 680}, {820, 650}};
constexpr int FIRST_WEIGHT = 500;

constexpr QRgb WHITE = 0xFFFFFFU;

QRgb colourAt(const QImage& picture, int x, int y) { return picture.pixel(x, y) & 0xFFFFFFU; }

void describe(QString* where, int& described, int x, int y, QRgb seen, QRgb wanted)
{
    if (where != nullptr && described < 8) {
        *where += QStringLiteral(" (%1,%2): %3 not %4;")
                      .arg(x)
                      .arg(y)
                      .arg(seen, 6, 16, QChar('0'))
                      .arg(wanted, 6, 16, QChar('0'));
        ++described;
    }
}

}  // namespace

TestDiagram::TestDiagram() : sites_(SITES)
{
    if (!dir_.isValid()) {
        problem_ = "no temporary folder";
        return;
    }
    sitesPath_ = dir_.filePath("sites.txt");
    QFile file(sitesPath_);
    if (!file.open(QIODevice::WriteOnly)) {
        problem_ = "cannot write " + sitesPath_;
        return;
    }
    int weight = FIRST_WEIGHT;
    for (const QPoint& site : sites_) {
        file.write(QStringLiteral("%1 %2 %3\n").arg(site.x()).arg(site.y()).arg(weight++).toLatin1());
    }
    file.close();

    const QString referencePath = dir_.filePath("reference.png");
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(VOROQUARN_BINARY, arguments() << "--output" << referencePath);
    if (!program.waitForFinished(30000) || program.exitStatus() != QProcess::NormalExit ||
        program.exitCode() != 0) {
        problem_ = "the program did not write the reference picture";
        return;
    }
    reference_ = QImage(referencePath).convertToFormat(QImage::Format_RGB32);
    if (reference_.size() != size()) {
        problem_ = "the reference picture has the wrong size";
        return;
    }
    referenceBoundary_ = boundaryPixels(reference_);
}

QStringList TestDiagram::arguments() const
{
    return {"--sites", sitesPath_, "--size",
            QStringLiteral("%1x%2").arg(size().width()).arg(size().height())};
}

bool TestDiagram::isLabelArea(int x, int y) const
{
    for (const QPoint& site : sites_) {
        if (x >= site.x() - 5 && x <= site.x() + 40 && y >= site.y() - 5 && y <= site.y() + 20) {
            return true;
        }
    }
    return false;
}

int TestDiagram::boundaryPixels(const QImage& picture) const
{
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    const int width = std::min(pixels.width(), size().width());
    const int height = std::min(pixels.height(), size().height());
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            count += (line[x] & 0xFFFFFFU) == WHITE && !isLabelArea(x, y) ? 1 : 0;
        }
    }
    return count;
}

double TestDiagram::progress(const QImage& picture) const
{
    return referenceBoundary_ == 0 ? 0.0 : double(boundaryPixels(picture)) / referenceBoundary_;
}

int TestDiagram::differencesFromReference(const QImage& picture, QString* where) const
{
    if (picture.width() < size().width() || picture.height() < size().height()) {
        if (where != nullptr) {
            *where = QStringLiteral(" the picture is only %1x%2").arg(picture.width()).arg(picture.height());
        }
        return size().width() * size().height();
    }
    int count = 0;
    int described = 0;
    for (int y = 0; y < size().height(); ++y) {
        for (int x = 0; x < size().width(); ++x) {
            const QRgb seen = colourAt(picture, x, y);
            const QRgb wanted = colourAt(reference_, x, y);
            if (seen != wanted && !isLabelArea(x, y)) {
                ++count;
                describe(where, described, x, y, seen, wanted);
            }
        }
    }
    return count;
}

int differences(const QImage& a, const QImage& b, QString* where)
{
    if (a.size() != b.size()) {
        if (where != nullptr) {
            *where = " the sizes differ";
        }
        return std::max(a.width() * a.height(), b.width() * b.height());
    }
    int count = 0;
    int described = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb seen = colourAt(a, x, y);
            const QRgb wanted = colourAt(b, x, y);
            if (seen != wanted) {
                ++count;
                describe(where, described, x, y, seen, wanted);
            }
        }
    }
    return count;
}

}  // namespace voroquarn::testing
