// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Benchmarks of the editor window through QTest on Qt's offscreen platform:
//  - makeData: QBENCHMARK of the MAKE DATA command (the 32 row fields and the statement
//    box), without mouse events;
//  - cellClicks: 1000 clicks on cells, each checked to repaint exactly its cell and its
//    preview pixel; reports the time from press to repaint.
//
//   QT_QPA_PLATFORM=offscreen window_bench [QTest options, e.g. -median 5]

#include "dotgrid.h"
#include "editorwindow.h"
#include "layout.h"
#include "userdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

using namespace dotdata::editor;

class WindowBench : public QObject
{
    Q_OBJECT

public:
    // Collects the region of every paint event in the application, per widget.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted[watched] += static_cast<QPaintEvent *>(event)->region();
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        qApp->installEventFilter(this);
    }

    // Before each press the start number changes (timed with it), so that every press
    // changes every text.
    void makeData()
    {
        auto *command = control<QPushButton>(plan::Command1);
        auto *start = control<QLineEdit>(plan::SNUM);
        int presses = 0;
        QBENCHMARK
        {
            start->setText(++presses % 2 ? QStringLiteral("1000") : QStringLiteral("2000"));
            command->click();
        }
        const QString firstLine = control<QLineEdit>(plan::DOTDATA[0])->text();
        QVERIFY(firstLine.startsWith(QLatin1Char(' ') + start->text() + QLatin1String(" DATA ")));
    }

    // Each click gives a cell a colour it does not have yet, selected beforehand and not
    // timed, so that every click changes the picture.
    void cellClicks()
    {
        auto *grid = control<DotGrid>(plan::DOT);
        auto *preview = control<QWidget>(plan::PREV);
        std::mt19937 rng(7);
        std::vector<double> times;
        for (int i = 0; i < kClicks; ++i) {
            const int cell = static_cast<int>(rng() % dotdata::kCells);
            const int colour = (m_window.picture().entry(cell) + 1 + static_cast<int>(rng() % 7))
                % dotdata::kPaletteSize;
            QTest::mouseClick(control<QWidget>(plan::color[colour]), Qt::LeftButton);
            QCoreApplication::processEvents();
            m_painted.clear();
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(grid, Qt::LeftButton, {}, DotGrid::cellRect(cell).center());
            QVERIFY(paintedSoon(grid));
            times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents();
            // What the figure stands for: the cell and its preview pixel, nothing else.
            QCOMPARE(m_window.picture().entry(cell), colour);
            QCOMPARE(m_painted.size(), std::size_t(2));
            QCOMPARE(m_painted[grid], QRegion(DotGrid::cellRect(cell)));
            QCOMPARE(m_painted[preview], QRegion(PreviewBox::pixelRect(cell)));
        }
        std::sort(times.begin(), times.end());
        const QSize cell = DotGrid::cellRect(0).size();
        qInfo("%d clicks, each repainted exactly its %dx%d px cell and one preview pixel; "
              "press to repaint median %.3f ms, 90%% %.3f ms",
            kClicks, cell.width(), cell.height(), times[kClicks / 2], times[kClicks * 9 / 10]);
    }

private:
    static constexpr int kClicks = 1000;

    template<typename T>
    T *control(const Placement &placement)
    {
        T *found = m_window.findChild<T *>(placement.objectName());
        if (!found)
            qFatal("window_bench: no control %s", qPrintable(placement.objectName()));
        return found;
    }

    // Delivers events until target has been painted, for at most a second.
    bool paintedSoon(const QObject *target)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_painted.contains(target) && timer.elapsed() < 1000)
            QCoreApplication::processEvents();
        return m_painted.contains(target);
    }

    QtUserDialogs m_dialogs; // never opened: the bench opens no file and makes no error
    EditorWindow m_window {m_dialogs};
    std::map<const QObject *, QRegion> m_painted;
};

int main(int argc, char **argv)
{
    // Widget updates are delivered at once instead of after Qt's usual 5 ms idle time,
    // so that a repaint can be waited for without sleeping.
    if (qEnvironmentVariableIsEmpty("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    WindowBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "window_bench.moc"
