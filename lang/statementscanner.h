#ifndef STATEMENTSCANNER_H
#define STATEMENTSCANNER_H

#include <QStringView>

#include <array>

// Capture groups of a statement line, numbered as in the statement patterns
// (index 0 unused); a group that took no part is an empty view.
using StatementCaptures = std::array<QStringView, 7>;

// A hand-written reading of the twelve statement patterns, much faster than
// running the regular expressions. Only for lines of printable ASCII, spaces
// and tabs: there \s, \d and \w have their plain ASCII meaning and the
// scanner reads exactly what the patterns read. Returns the StatementCode of
// the pattern the line matches, or -1, and fills the captures that pattern
// would give.
int scanStatement(QStringView line, StatementCaptures &captures);

#endif
