// A modal message box must not make the program unkillable. While one is
// shown, SIGTERM, SIGINT and SIGHUP end the program (their default action),
// and a helper process that the window system forks to show the box (SDL
// does on X11) is ended by the kernel as soon as the program ends, however
// it ends, so no box is left on screen without its program.
#pragma once

#include <signal.h>

namespace platform {
namespace backend {

class ModalBoxGuard {
 public:
  ModalBoxGuard();
  ~ModalBoxGuard();

  ModalBoxGuard(const ModalBoxGuard&) = delete;
  ModalBoxGuard& operator=(const ModalBoxGuard&) = delete;

 private:
  struct sigaction saved_[3];
  sigset_t savedMask_;
};

}  // namespace backend
}  // namespace platform
