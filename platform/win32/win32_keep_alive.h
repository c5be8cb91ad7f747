// The dialog's keep-alive: a look at the message queue, at most ten times a second. Windows
// marks a window "Not Responding" when its thread has not looked for 5 seconds. The look
// removes nothing: a click waits in the queue as before; only messages that other threads send
// are delivered, so the dialog must not act on a second Install or a Cancel while it installs.
#pragma once

#include <functional>

#include "platform/keep_alive.h"

class PeekKeepAlive : public KeepAlive {
 public:
  void Beat() override;

 private:
  unsigned long long last_ = 0;
};

// `work` on a thread of its own while `keepAlive` beats, for one long call that cannot be cut
// into pieces (a hive load); run directly without one.
long RunBeating(KeepAlive* keepAlive, const std::function<long()>& work);
