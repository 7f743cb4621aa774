#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace voroquarn::testing {

// A fixed diagram for the window tests, so that every run draws the same picture: nine
// sites of nearly equal weight on a 1000 by 800 drawing area, whose boundaries cross
// the whole window. Its picture as the program writes it with --output is the
// reference for the window's.
//
// Markers and labels are left out of every comparison: the labels are text, which the
// window's platform and the offscreen one may render differently. A box around each
// site, from 5 pixels left of and above it to 40 right of and 20 below it, covers both.
class TestDiagram {
public:
    TestDiagram();

    // Empty when the site file and the reference picture are ready; else what failed.
    const QString& problem() const { return problem_; }

    QStringList arguments() const;
    static QSize size() { return {1000, 800}; }
    const QImage& reference() const { return reference_; }

    bool isLabelArea(int x, int y) const;

    // The white pixels of a picture outside the label areas: the boundaries drawn.
    int boundaryPixels(const QImage& picture) const;
    int referenceBoundaryPixels() const { return referenceBoundary_; }
    // How far the picture has come: its boundary pixels against the reference's.
    double progress(const QImage& picture) const;

    // The pixels outside the label areas, within the drawing area, where the picture
    // differs from the reference; a few of them are described in `where`.
    int differencesFromReference(const QImage& picture, QString* where = nullptr) const;

private:
    QTemporaryDir dir_;
    QString sitesPath_;
    std::vector<QPoint> sites_;
    QImage reference_;
    int referenceBoundary_ = 0;
    QString problem_;
};

// The pixels where two pictures of the same size differ, with a few described in
// `where`; all of them when the sizes differ.
int differences(const QImage& a, const QImage& b, QString* where = nullptr);

}  // namespace voroquarn::testing
