// The preview on a script of a million lines, under whatever Qt platform is set
// (the benchmark uses offscreen): how long from "Vorschau" to the first painted
// picture, and how long a repaint after a zoom step takes.
//
//   vektrano_preview_paint [LINES]
//
// Prints "lines=N read_build_ms=R first_paint_ms=P total_ms=T total_cpu_ms=C
// zoom_paint_ms=Z": wall-clock times, and the process's processor time to the
// first paint, which a machine busy with other work changes less.
#include "synthetic_script.h"
#include "window/preview_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.scr"));
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << vektrano::bench::SyntheticScript(lines);
    }
    vektrano::PreviewWindow preview;
    preview.resize(1000, 750);

    QElapsedTimer clock;
    const std::clock_t cpuStart = std::clock();
    clock.start();
    preview.ShowScript(path);
    const qint64 built = clock.nsecsElapsed();
    preview.show();
    // grab() paints the whole window, the view's items included, right now.
    const QPixmap first = preview.grab();
    const qint64 painted = clock.nsecsElapsed();
    const double cpu = static_cast<double>(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC;

    auto* view = preview.findChild<QGraphicsView*>();
    view->scale(1.25, 1.25);
    clock.restart();
    const QPixmap zoomed = preview.grab();
    const qint64 zoom = clock.nsecsElapsed();

    std::printf("lines=%zu read_build_ms=%.1f first_paint_ms=%.1f total_ms=%.1f "
                "total_cpu_ms=%.1f zoom_paint_ms=%.1f shapes=%zu\n",
                lines, static_cast<double>(built) / 1e6, static_cast<double>(painted - built) / 1e6,
                static_cast<double>(painted) / 1e6, cpu, static_cast<double>(zoom) / 1e6,
                preview.Picture().shapes.size());
    return first.isNull() || zoomed.isNull() ? 1 : 0;
}
