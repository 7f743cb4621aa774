#pragma once

class QIODevice;

namespace voroquarn {

class Progress;
struct Diagram;

// Writes the diagram as a one-page PDF into `device`, which is open for writing, through
// Qt's PDF writer. The page is the drawing area, a pixel to a point, black; it shows
// the same pieces as the SVG (arcs as arcs of their circle, straight pieces as lines),
// markers and labels, white. `progress`, if any, is told that the writing goes on; how
// far, Qt's writer does not say. Returns false when the PDF could not be made or the
// device refused the bytes; in the latter case the device's error string says why.
bool writePdf(const Diagram& diagram, QIODevice& device, Progress* progress = nullptr);

}  // namespace voroquarn
