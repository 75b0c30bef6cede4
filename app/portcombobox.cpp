#include "app/portcombobox.h"

#include "app/portlist.h"

PortComboBox::PortComboBox(QWidget *parent)
    : QComboBox(parent)
    , systemPorts(systemPortNames)
{
    setEditable(true);
    // Wide enough for a pseudo-terminal path such as /dev/pts/12.
    const int textWidth = fontMetrics().horizontalAdvance(QStringLiteral("/dev/pts/99"));
    setFixedSize(qMax(60, textWidth + 32), 30);
    // At start the box shows the first port found, if any.
    addItems(availablePortChoices());
}

void PortComboBox::setSystemPorts(std::function<QStringList()> source)
{
    systemPorts = std::move(source);
}

void PortComboBox::refresh()
{
    const QStringList choices = portChoices(qEnvironmentVariable("QUILLMAR_PORTS"), systemPorts());
    const QString text = currentText();
    clear();
    addItems(choices);
    setEditText(text);
}

void PortComboBox::showPopup()
{
    refresh();
    QComboBox::showPopup();
}
