#include "backend/modal_box.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace platform {
namespace backend {

namespace {

const int kEndingSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The process showing a box, while it shows one; 0 otherwise.
pid_t g_boxOwner = 0;

// Runs in every child forked while a box is shown: it is to die with the
// program (the parent-death signal is not inherited by its own children,
// and the box helper forks no further).
void TieChildToOwner() {
  const pid_t owner = g_boxOwner;
  if (!owner) return;
  g_boxOwner = 0;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have ended between the fork and the line above.
  if (getppid() != owner) _exit(1);
}

}  // namespace

ModalBoxGuard::ModalBoxGuard() {
  static const bool registered = pthread_atfork(nullptr, nullptr, TieChildToOwner) == 0;
  (void)registered;
  g_boxOwner = getpid();
  // SDL turns these signals into a quit event, which nobody reads while the
  // box waits for its helper; the default action ends the program at once.
  struct sigaction ending {};
  ending.sa_handler = SIG_DFL;
  sigemptyset(&ending.sa_mask);
  sigset_t unblock;
  sigemptyset(&unblock);
  for (int i = 0; i < 3; ++i) {
    sigaction(kEndingSignals[i], &ending, &saved_[i]);
    sigaddset(&unblock, kEndingSignals[i]);
  }
  pthread_sigmask(SIG_UNBLOCK, &unblock, &savedMask_);
}

ModalBoxGuard::~ModalBoxGuard() {
  g_boxOwner = 0;
  pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
  for (int i = 0; i < 3; ++i) sigaction(kEndingSignals[i], &saved_[i], nullptr);
}

}  // namespace backend
}  // namespace platform
