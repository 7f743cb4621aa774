#pragma once

class QIODevice;

namespace voroquarn {

class Progress;
struct Diagram;

// Writes the diagram as an SVG document into `device`, which is open for writing. The
// document's user units are the drawing area's pixels (width, height and viewBox), on a
// black background; the boundaries are white strokes, circular pieces as elliptical
// arcs with their exact radius and end points and straight ones as lines; markers are
// circles and labels text in the generic sans-serif family. Numbers are written with
// the fewest digits that read back as the same double. `progress`, if any, is told how
// far the writing is. Returns false when the device refused a write; its error string
// says why.
bool writeSvg(const Diagram& diagram, QIODevice& device, Progress* progress = nullptr);

}  // namespace voroquarn
