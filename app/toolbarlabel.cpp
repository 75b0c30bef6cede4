#include "app/toolbarlabel.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>

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

void fillToolBar(QToolBar *bar, const QList<QObject *> &items)
{
    for (QObject *item : items) {
        if (auto *action = qobject_cast<QAction *>(item))
            bar->addAction(action);
        else if (auto *widget = qobject_cast<QWidget *>(item))
            bar->addWidget(widget);
        else
            bar->addSeparator();
    }
    bar->setIconSize(QSize(32, 32));
}
