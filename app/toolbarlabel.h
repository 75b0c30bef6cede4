#ifndef TOOLBARLABEL_H
#define TOOLBARLABEL_H

#include <QList>
#include <QString>

class QLabel;
class QObject;
class QToolBar;
class QWidget;

// A caption beside a tool-bar control: bold, left and vertically centred.
QLabel *toolBarLabel(const QString &text, int minimumWidth, QWidget *parent);

// Puts actions and widgets on a tool bar in this order; nullptr stands for
// a separator. Icons are 32 pixels.
void fillToolBar(QToolBar *bar, const QList<QObject *> &items);

#endif
