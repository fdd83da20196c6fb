// Benchmarks of the editor window, driven through QTest on Qt's offscreen platform:
//  - MAKE DATA: the whole command (the 32 row fields and the statement box), median
//    over many presses, alone and with the repaint it causes;
//  - clicks on cells: the area repainted per click, summed over every widget, and the
//    time from press to repaint.
//
//   QT_QPA_PLATFORM=offscreen window_bench [runs]      (runs defaults to 1000)

#include "dotgrid.h"
#include "editorwindow.h"
#include "layout.h"
#include "userdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace dotdata::window;

namespace {

// The bench never opens a file, so no dialog is ever shown.
class NoDialogs final : public UserDialogs
{
public:
    std::optional<QString> chooseFile(
        QWidget *, FileDialogKind, const FileDialogSettings &) override
    {
        return std::nullopt;
    }
    void showError(QWidget *, const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "window_bench: unexpected message %s: %s\n", qPrintable(title),
            qPrintable(text));
        std::exit(1);
    }
};

// Sums the area of every paint event in the application while counting is on.
class PaintMeter : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && counting) {
            const QRegion &region = static_cast<QPaintEvent *>(event)->region();
            for (const QRect &r : region)
                area += static_cast<long long>(r.width()) * r.height();
            if (watched == grid)
                gridRegion += region;
            painted.push_back(watched);
        }
        return false;
    }
    void start()
    {
        painted.clear();
        area = 0;
        gridRegion = QRegion();
        counting = true;
    }
    QObject *grid = nullptr;
    bool counting = false;
    long long area = 0;
    QRegion gridRegion;
    std::vector<QObject *> painted;
};

// Delivers events until target has been painted, or a second has passed.
bool flushUntilPainted(const PaintMeter &meter, const QObject *target)
{
    QElapsedTimer timer;
    timer.start();
    while (std::find(meter.painted.begin(), meter.painted.end(), target) == meter.painted.end()) {
        if (timer.elapsed() > 1000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

template<typename T>
T *child(QWidget &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (found == nullptr) {
        std::fprintf(stderr, "window_bench: no control %s\n", qPrintable(name));
        std::exit(1);
    }
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    // Deliver widget updates at once instead of after Qt's usual 5 ms idle time, so a
    // click's repaint can be waited for without sleeping.
    if (qEnvironmentVariableIsEmpty("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    NoDialogs dialogs;
    EditorWindow window(dialogs);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "window_bench: the window was not shown\n");
        return 1;
    }
    PaintMeter meter;
    app.installEventFilter(&meter);

    auto *makeData = child<QPushButton>(window, QStringLiteral("Command1"));
    auto *start = child<QLineEdit>(window, QStringLiteral("SNUM"));
    auto *statements = child<QPlainTextEdit>(window, QStringLiteral("DDATA"));
    auto *grid = child<DotGrid>(window, QStringLiteral("DOT"));
    meter.grid = grid;
    std::array<QWidget *, 8> swatches {};
    for (int k = 0; k < 8; ++k)
        swatches[static_cast<std::size_t>(k)] = child<QWidget>(
            window, plan::color[static_cast<std::size_t>(k)].objectName());

    // MAKE DATA. The start number alternates so that every press changes every text.
    std::vector<double> command, commandAndRepaint;
    for (int i = 0; i < runs; ++i) {
        start->setText(i % 2 ? QStringLiteral("1000") : QStringLiteral("2000"));
        QCoreApplication::processEvents();
        meter.start();
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(makeData, Qt::LeftButton, {}, QPoint());
        command.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (!flushUntilPainted(meter, statements->viewport())) {
            std::fprintf(stderr, "window_bench: the statements were not repainted\n");
            return 1;
        }
        commandAndRepaint.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        meter.counting = false;
    }
    std::printf("MAKE DATA, %d presses\n", runs);
    std::printf("  command alone        median %.3f ms   90%% %.3f ms\n", median(command),
        percentile(command, 0.9));
    std::printf("  with its repaint     median %.3f ms   90%% %.3f ms\n", median(commandAndRepaint),
        percentile(commandAndRepaint, 0.9));

    // Cell clicks: each one gives a cell a colour it does not have yet, so that every
    // click changes the picture. Picking the colour is not counted.
    std::mt19937 rng(7);
    std::array<int, 1024> colours {};
    std::vector<double> clickTimes;
    long long clickedArea = 0, fewestPixels = LLONG_MAX, mostPixels = 0;
    for (int i = 0; i < runs; ++i) {
        const int cell = static_cast<int>(rng() % 1024);
        const int colour = (colours[static_cast<std::size_t>(cell)] + 1
                               + static_cast<int>(rng() % 7))
            % 8;
        QTest::mouseClick(swatches[static_cast<std::size_t>(colour)], Qt::LeftButton, {}, QPoint());
        QCoreApplication::processEvents();
        meter.start();
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(grid, Qt::LeftButton, {}, DotGrid::cellRect(cell).center());
        if (!flushUntilPainted(meter, grid)) {
            std::fprintf(stderr, "window_bench: cell %d was not repainted\n", cell);
            return 1;
        }
        clickTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
        meter.counting = false;
        // The figure is only meaningful if each click repainted its own cell.
        if (!meter.gridRegion.contains(DotGrid::cellRect(cell))) {
            std::fprintf(
                stderr, "window_bench: a click on cell %d did not repaint all of it\n", cell);
            return 1;
        }
        clickedArea += meter.area;
        fewestPixels = std::min(fewestPixels, meter.area);
        mostPixels = std::max(mostPixels, meter.area);
        colours[static_cast<std::size_t>(cell)] = colour;
    }
    const QRect cellRect = DotGrid::cellRect(0);
    const double cellArea = static_cast<double>(cellRect.width()) * cellRect.height();
    const double perClick = static_cast<double>(clickedArea) / runs;
    std::printf("Cell clicks, %d clicks\n", runs);
    std::printf("  painted per click    %.1f px = %.3f cells of %dx%d px (whole grid %dx%d px = "
                "%.0f cells)\n",
        perClick, perClick / cellArea, cellRect.width(), cellRect.height(), grid->width(),
        grid->height(), static_cast<double>(grid->width()) * grid->height() / cellArea);
    std::printf("  fewest, most         %lld px, %lld px\n", fewestPixels, mostPixels);
    std::printf("  press to repaint     median %.3f ms   90%% %.3f ms\n", median(clickTimes),
        percentile(clickTimes, 0.9));
    return 0;
}
