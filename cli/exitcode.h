#ifndef EXITCODE_H
#define EXITCODE_H

// Exit statuses shared by every command of the command-line tool.
enum ExitCode {
    ExitSuccess = 0,
    ExitFailure = 1,     // the work itself failed: a compile or decode error
    ExitUsage = 2,       // wrong arguments or an input that cannot be read
};

#endif
