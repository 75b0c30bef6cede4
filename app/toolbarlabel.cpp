#include "app/toolbarlabel.h"

#include <QLabel>

QLabel *toolBarLabel(const QString &text, int minimumWidth, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setMinimumWidth(minimumWidth);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
