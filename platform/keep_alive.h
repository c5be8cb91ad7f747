// What lets Windows see that the program is alive while a long step runs: the dialog's message
// queue looked at now and then, or nothing at all (the silent run, the tests).
#pragma once

class KeepAlive {
 public:
  virtual ~KeepAlive() = default;
  // Cheap enough to be called between any two pieces of work.
  virtual void Beat() = 0;
};
