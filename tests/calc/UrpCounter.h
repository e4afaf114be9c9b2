#pragma once
// Counts the remote calls of a UNO client: a relay between the client and the office's pipe
// that reads the URP blocks the client sends (each starts with its size and the number of
// messages in it: requests, releases and replies) and adds up their messages.
#include <atomic>
#include <string>
#include <thread>

namespace kestrine::calc {

class UrpCounter {
 public:
  // Listens on a pipe of its own (`officePipe` + "-count") and relays to `officePipe`.
  explicit UrpCounter(const std::string& officePipe);
  ~UrpCounter();
  UrpCounter(const UrpCounter&) = delete;
  UrpCounter& operator=(const UrpCounter&) = delete;

  // The pipe name for the client: "pipe,name=<this>;urp;...".
  const std::string& Pipe() const { return pipe_; }
  // Messages from the client to the office since the last Reset.
  long long Messages() const { return messages_; }
  void Reset() { messages_ = 0; }

 private:
  void Serve();
  void Relay(int client);

  std::string pipe_, path_, officePath_;
  int listener_ = -1;
  int stop_[2] = {-1, -1};
  std::atomic<long long> messages_{0};
  std::thread thread_;
};

}  // namespace kestrine::calc
