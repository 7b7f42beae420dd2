// Presses START in the real window, under whatever Qt platform is set (the
// benchmark uses offscreen), and reports how long the run took and how long the
// window went without processing its events while it ran.
//
//   vektrano_window_start [--full-geometry] DXF SCR
//
// Prints "start_seconds=S max_gap_ms=G event_rounds=N" on standard output.
#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const bool fullGeometry = argc == 4 && std::strcmp(argv[1], "--full-geometry") == 0;
    if (argc != 3 && !fullGeometry) {
        std::fprintf(stderr, "usage: vektrano_window_start [--full-geometry] DXF SCR\n");
        return 2;
    }
    const char* dxf = argv[argc - 2];
    const char* scr = argv[argc - 1];
    // The menu entry is kept in QSettings: the driver's go to a folder of its own.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    vektrano::Variablen state;
    vektrano::MainWindow window(state);
    window.OpenInitialPath(QString::fromLocal8Bit(dxf));
    window.findChild<QLineEdit*>(QStringLiteral("Txt_SCR"))->setText(QString::fromLocal8Bit(scr));
    window.findChild<QAction*>(QStringLiteral("Menue_Vollständige_Geometrie"))
        ->setChecked(fullGeometry);
    window.show();
    QApplication::processEvents();

    // A timer that wants to fire all the time: it fires only when the window
    // processes events, so the longest pause between firings is the longest
    // stretch the window did not answer.
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 maxGap = 0;
    long rounds = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!window.RunInProgress())
            return;
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            maxGap = std::max(maxGap, now - last);
        last = now;
        ++rounds;
    });
    probe.start();

    auto* start = window.findChild<QPushButton*>(QStringLiteral("Btn_Start"));
    clock.start();
    start->click(); // returns when the run has ended
    const qint64 end = clock.nsecsElapsed();
    // The stretch from the last event round to the run's end counts as well.
    maxGap = std::max(maxGap, end - std::max<qint64>(last, 0));
    const double seconds = static_cast<double>(end) / 1e9;
    probe.stop();
    std::printf("start_seconds=%.4f max_gap_ms=%.1f event_rounds=%ld\n", seconds,
                static_cast<double>(maxGap) / 1e6, rounds);
    return 0;
}
