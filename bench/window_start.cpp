// Presses START in the real window, under whatever Qt platform is set (the
// benchmark uses offscreen), and reports how long the run took and how long the
// window went without processing its events while it ran.
//
//   vektrano_window_start DXF SCR
//
// Prints "start_seconds=S max_gap_ms=G event_rounds=N" on standard output.
#include "window/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vektrano_window_start DXF SCR\n");
        return 2;
    }
    QApplication app(argc, argv);
    vektrano::Variablen state;
    vektrano::MainWindow window(state);
    window.OpenInitialPath(QString::fromLocal8Bit(argv[1]));
    window.findChild<QLineEdit*>(QStringLiteral("Txt_SCR"))
        ->setText(QString::fromLocal8Bit(argv[2]));
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
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    probe.stop();
    std::printf("start_seconds=%.4f max_gap_ms=%.1f event_rounds=%ld\n", seconds,
                static_cast<double>(maxGap) / 1e6, rounds);
    return 0;
}
