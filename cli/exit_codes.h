#pragma once

namespace tamsolo {

// Exit statuses every command shares.
enum CliExit : int {
  kCliOk = 0,             // every input gave what was asked
  kCliPartial = 1,        // some input gave nothing; the run went on
  kCliUsage = 2,          // unknown option, missing argument, ...
  kCliFatal = 3,          // the run could not go on (output not writable, ...)
  kCliInterrupted = 130,  // stopped by Ctrl-C, as a shell reports SIGINT
};

}  // namespace tamsolo
