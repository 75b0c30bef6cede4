#ifndef PORTCOMBOBOX_H
#define PORTCOMBOBOX_H

#include <QComboBox>
#include <QStringList>

#include <functional>

// The port box. It is editable, so that a port the system does not list
// (a pseudo-terminal, a virtual pair) can be typed by name or path, and it
// reads the ports again each time its list opens: an adapter plugged in
// after start appears, an unplugged one goes.
class PortComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit PortComboBox(QWidget *parent = nullptr);

    // Where the names of the ports the system lists come from (tests stand
    // in for plugged and unplugged adapters).
    void setSystemPorts(std::function<QStringList()> source);
    // Reads the ports again; the text in the box stays as it is.
    void refresh();
    void showPopup() override;

private:
    std::function<QStringList()> systemPorts;
};

#endif
