#ifndef TOOLBARLABEL_H
#define TOOLBARLABEL_H

#include <QString>

class QLabel;
class QWidget;

// A caption beside a tool-bar control: bold, left and vertically centred.
QLabel *toolBarLabel(const QString &text, int minimumWidth, QWidget *parent);

#endif
