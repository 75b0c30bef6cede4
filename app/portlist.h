#ifndef PORTLIST_H
#define PORTLIST_H

#include <QString>
#include <QStringList>

// The ports offered in the port box: those named in the environment
// variable QUILLMAR_PORTS (for pseudo-terminals and virtual pairs the system
// does not list) first, then the ports the system reports, each name once.
QStringList portChoices(const QString &listedInEnvironment, const QStringList &found);

// The names of the serial ports the system lists now.
QStringList systemPortNames();

// portChoices() for this process's environment and the ports present now.
QStringList availablePortChoices();

#endif
