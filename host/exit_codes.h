/* plughost's exit statuses, as --help documents them. */
#ifndef HOST_EXIT_CODES_H
#define HOST_EXIT_CODES_H

enum ExitCode {
    kExitOk = 0,
    kExitRefused = 1,      /* the plug-in refused, failed or broke a rule; in a batch: any item failed */
    kExitUsage = 2,        /* bad arguments; nothing was done */
    kExitNoFile = 3,       /* a file or folder could not be read or written */
    kExitInterrupted = 130, /* Ctrl-C, SIGTERM, the console window closed */
    kExitPipeClosed = 141, /* the reader of standard output went away */
    kExitSkipped = -1,     /* inside a run only: -n left an item alone (counts as success) */
};

#endif
