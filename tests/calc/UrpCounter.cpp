#include "UrpCounter.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace kestrine::calc {

namespace {

// Where the office's runtime puts a named pipe.
std::string PipePath(const std::string& name) {
  return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + name;
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw std::runtime_error("pipe path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

std::uint32_t BigEndian32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         std::uint32_t(p[3]);
}

}  // namespace

UrpCounter::UrpCounter(const std::string& officePipe)
    : pipe_(officePipe + "-count"), path_(PipePath(pipe_)), officePath_(PipePath(officePipe)) {
  unlink(path_.c_str());
  listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = Address(path_);
  if (listener_ < 0 ||
      bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 4) != 0 || pipe(stop_) != 0) {
    throw std::runtime_error("cannot listen on " + path_);
  }
  thread_ = std::thread([this] { Serve(); });
}

UrpCounter::~UrpCounter() {
  const char byte = 0;
  if (write(stop_[1], &byte, 1) != 1) {
  }
  thread_.join();
  close(listener_);
  close(stop_[0]);
  close(stop_[1]);
  unlink(path_.c_str());
}

// A relay per client: a bridge may stay open while the next client connects.
void UrpCounter::Serve() {
  std::vector<std::thread> relays;
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) break;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    relays.emplace_back([this, client] {
      Relay(client);
      close(client);
    });
  }
  for (std::thread& relay : relays) relay.join();
}

void UrpCounter::Relay(int client) {
  const int office = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = Address(officePath_);
  if (office < 0 ||
      connect(office, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (office >= 0) close(office);
    return;
  }
  // The client's stream, parsed block by block: an 8-byte header, then `size` bytes.
  std::vector<unsigned char> pending;
  size_t skip = 0;  // body bytes of the current block still to come
  unsigned char buffer[65536];
  for (;;) {
    pollfd fds[3] = {{client, POLLIN, 0}, {office, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) continue;
    if (fds[2].revents) break;
    if (fds[0].revents) {
      const ssize_t got = read(client, buffer, sizeof buffer);
      if (got <= 0 || !WriteAll(office, buffer, static_cast<size_t>(got))) break;
      size_t at = 0;
      while (at < static_cast<size_t>(got)) {
        if (skip > 0) {
          const size_t take = std::min(skip, static_cast<size_t>(got) - at);
          skip -= take;
          at += take;
          continue;
        }
        pending.push_back(buffer[at++]);
        if (pending.size() == 8) {
          skip = BigEndian32(pending.data());
          messages_ += BigEndian32(pending.data() + 4);
          pending.clear();
        }
      }
    }
    if (fds[1].revents) {
      const ssize_t got = read(office, buffer, sizeof buffer);
      if (got <= 0 || !WriteAll(client, buffer, static_cast<size_t>(got))) break;
    }
  }
  close(office);
}

}  // namespace kestrine::calc
