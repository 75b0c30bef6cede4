#include "app/doubleclickfilter.h"

#include <QMouseEvent>
#include <QWidget>

DoubleClickFilter::DoubleClickFilter(QWidget *watched)
    : QObject(watched)
{
    watched->installEventFilter(this);
}

bool DoubleClickFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            emit doubleClicked(mouse->pos());
    }
    return QObject::eventFilter(watched, event);
}
