// The time to write one diagram as PNG, SVG and PDF, side by side in one process: for
// each format the program's own steps for --output, from the given sites to the file,
// repeated with the formats interleaved so that a busy moment on the machine falls on
// all of them alike.
//
//   bench_vector SITE-FILE WIDTHxHEIGHT OUTPUT-FOLDER [REPETITIONS]
//
// Prints, for each step, the median, the quartiles and the extremes in milliseconds:
// for PNG the run (marking and tracing into the picture), for SVG and PDF the diagram
// (placing the sites and computing the pieces); then for each the encoding into memory
// alone, and the writing of the file as the program does it (encoding, writing, syncing
// to disk and renaming).
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchArguments.h"
#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "diagram/drawDiagram.h"
#include "output/ImageOutput.h"
#include "output/ImageSurface.h"
#include "output/PdfWriter.h"
#include "output/PngWriter.h"
#include "output/SvgWriter.h"
#include "output/VectorOutput.h"
#include "screen/QtEnvironment.h"

namespace voroquarn::bench {
namespace {

double milliseconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// The value below which the fraction q of the sorted values lies, interpolated.
double quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

class Times {
public:
    void add(const std::string& step, double ms) { steps_[step].push_back(ms); }
    void print() const
    {
        std::printf("%-22s %9s %9s %9s %9s %9s\n", "step (ms)", "median", "q1", "q3", "min", "max");
        for (const char* step : {"png run", "png encode", "png write", "png total", "svg diagram", "svg encode",
                                 "svg write", "svg total", "pdf diagram", "pdf encode", "pdf write", "pdf total"}) {
            std::vector<double> values = steps_.at(step);
            std::sort(values.begin(), values.end());
            std::printf("%-22s %9.3f %9.3f %9.3f %9.3f %9.3f\n", step, quantile(values, 0.5),
                        quantile(values, 0.25), quantile(values, 0.75), values.front(), values.back());
        }
    }

private:
    std::map<std::string, std::vector<double>> steps_;
};

// The time to encode into memory, or a negative time when the encoding failed.
template <class Encode>
double encodeTime(Encode&& encode)
{
    QBuffer memory;
    memory.open(QIODevice::WriteOnly);
    QElapsedTimer clock;
    clock.start();
    const bool done = encode(memory);
    return done ? milliseconds(clock) : -1;
}

bool writeOnce(const char* format, const RunSettings& settings, QSize size, const QDir& folder, Times& times)
{
    QElapsedTimer clock;
    const std::string name(format);
    const QString path = folder.filePath(QStringLiteral("diagram.") + QString::fromLatin1(format));
    SeededRandom random(1);  // unused: the sites are given
    std::optional<QString> problem;
    double first = 0;
    clock.start();
    if (name == "png") {
        ImageSurface surface(size);
        driveToEnd(drawDiagram(surface, random, settings), surface);
        first = milliseconds(clock);
        times.add("png run", first);
        times.add("png encode", encodeTime([&](QIODevice& memory) {
            return !writePng(surface.image(), memory);
        }));
        clock.restart();
        problem = writePngFile(surface.image(), QFile::encodeName(path).toStdString());
    } else {
        const Diagram diagram = recordDiagram(size.width(), size.height(), random, settings);
        first = milliseconds(clock);
        times.add(name + " diagram", first);
        const bool svg = name == "svg";
        times.add(name + " encode", encodeTime([&](QIODevice& memory) {
            return svg ? writeSvg(diagram, memory) : writePdf(diagram, memory);
        }));
        clock.restart();
        problem = writeVectorFile(diagram, svg ? writeSvg : writePdf, QFile::encodeName(path).toStdString());
    }
    const double write = milliseconds(clock);
    times.add(name + " write", write);
    times.add(name + " total", first + write);
    if (problem) {
        std::fprintf(stderr, "bench_vector: %s\n", problem->toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace
}  // namespace voroquarn::bench

int main(int argc, char* argv[])
{
    using namespace voroquarn;
    using namespace voroquarn::bench;
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_vector SITE-FILE WIDTHxHEIGHT OUTPUT-FOLDER [REPETITIONS]\n");
        return 2;
    }
    const std::optional<std::vector<Site>> sites = sitesArgument("bench_vector", argv[1]);
    const std::optional<QSize> size = sizeArgument("bench_vector", argv[2]);
    if (!sites || !size) {
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[3]));
    const int repetitions = argc > 4 ? std::max(1, std::atoi(argv[4])) : 31;
    RunSettings settings;
    settings.givenSites = *sites;

    useUsableRuntimeFolder();  // as the program draws for --output
    useFixedRenderingEnvironment();
    const QGuiApplication app(argc, argv);
    Times warmUp;
    Times times;
    for (const char* format : {"png", "svg", "pdf"}) {
        if (!writeOnce(format, settings, *size, folder, warmUp)) {
            return 1;
        }
    }
    for (int r = 0; r < repetitions; ++r) {
        for (const char* format : {"png", "svg", "pdf"}) {
            writeOnce(format, settings, *size, folder, times);
        }
    }
    std::printf("%d repetitions of %d sites at %dx%d, after one of each to warm up\n", repetitions,
                static_cast<int>(settings.givenSites.size()), size->width(), size->height());
    times.print();
    return 0;
}
