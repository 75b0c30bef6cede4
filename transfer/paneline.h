#ifndef PANELINE_H
#define PANELINE_H

#include <QString>
#include <functional>

// Receives each output-pane line of a transfer as it happens. The window
// appends it to the pane, the command line prints it.
using PaneLine = std::function<void(const QString &line)>;

#endif
