// How the link's threads hand news to their owner: the worker a good
// sentence or the news that its port's device is gone, the port prober a
// probe's result. Calls made on those threads that must not block (the
// dialog turns them into posted events and handles them on the
// user-interface thread). The worker's carry its run, a number that is new
// with every open of a port, so that a post handled after the port was closed
// or changed can be told from one of the run now open.
#pragma once

#include <cstdint>
#include <string>

namespace brisko {

class SentencePoster {
 public:
  virtual ~SentencePoster() = default;
  // sequenceNumber counts the sentences posted in this worker run from 0;
  // slotIndex (0..29) names the slot that holds the checked sentence.
  virtual void PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) = 0;
  // The port's device is gone (an adapter pulled out): the worker of this run
  // has stopped on its own, and the owner should close the port.
  virtual void PostPortLost(std::uint32_t run) = 0;
  // The prober's thread: whether port n could be opened when it was probed.
  virtual void PostPortProbed(int portNumber, bool openable) = 0;
  // A write of the line's trace failed and the trace has ended: the message
  // says which file and why. Called on the trace writer's thread, once; an
  // owner that shows it posts it to its own thread. Nothing by default.
  virtual void PostTraceStopped(const std::string& message) { (void)message; }
};

}  // namespace brisko
