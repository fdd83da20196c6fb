// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QScrollArea>

namespace dotdata::editor {

/// Shows a fixed-size widget as a top-level window that fits its screen. Where the
/// screen's available area holds the widget and the window frame, the window is the
/// widget's own size and nothing scrolls; where it does not, the window opens no larger
/// than that area and the widget scrolls inside it, keeping its size. The widget's
/// title becomes the window's; the widget stays its caller's to own.
class ScreenFit final : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScreenFit(QWidget &content);
    ~ScreenFit() override;

protected:
    bool event(QEvent *event) override;
    /// The widget decides, as if it were the window.
    void closeEvent(QCloseEvent *event) override;

private:
    /// The area the window frame may take, as far as the window system has told it.
    QRect room() const;
    void fit();

    QRect m_fittedTo;
};

} // namespace dotdata::editor
