#ifndef DOUBLECLICKFILTER_H
#define DOUBLECLICKFILTER_H

#include <QObject>
#include <QPoint>

// Reports double clicks on a widget without subclassing it; the click is
// not consumed, so the widget still selects the word under the mouse.
class DoubleClickFilter : public QObject
{
    Q_OBJECT

public:
    explicit DoubleClickFilter(QWidget *watched);

signals:
    void doubleClicked(const QPoint &position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
