#include "programicon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>

namespace dotdata::window {

namespace {

class IconSetter : public QObject
{
public:
    IconSetter(QWidget &window, const QString &iconName) : QObject(&window), m_iconName(iconName)
    {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { setIcon(); });
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        // Queued, so that the lookup follows the whole first paint, children included.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { setIcon(); });
        return false;
    }

private:
    void setIcon()
    {
        parent()->removeEventFilter(this);
        QApplication::setWindowIcon(QIcon::fromTheme(m_iconName));
        deleteLater();
    }

    QString m_iconName;
};

} // namespace

void setProgramIconAfterFirstPaint(QWidget &window, const QString &iconName)
{
    new IconSetter(window, iconName);
}

} // namespace dotdata::window
