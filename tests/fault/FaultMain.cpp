// File permissions mean nothing to root, and CI runs as root: the fault tests run as an
// unprivileged user so that read-only files and folders are really read-only.
#include <gtest/gtest.h>
#include <grp.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (geteuid() == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
      std::perror("dropping privileges");
      return 1;
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
