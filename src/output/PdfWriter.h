#pragma once

class QIODevice;

namespace voroquarn {

struct Diagram;

// Writes the diagram as a one-page PDF into `device`, which is open for writing, through
// Qt's PDF writer. The page is the drawing area, a pixel to a point, black; it shows
// the same pieces as the SVG (arcs as arcs of their circle, straight pieces as lines),
// markers and labels, white. Returns false when the PDF could not be made or the
// device refused the bytes; in the latter case the device's error string says why.
bool writePdf(const Diagram& diagram, QIODevice& device);

}  // namespace voroquarn
