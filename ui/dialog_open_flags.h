#pragma once
// The process-wide "open" flags of the dialogs that can be asked for again while open (the
// About box, the settings dialog, the send-error dialog of a recognised press): a request
// while its flag is set is ignored.

namespace ovalink {

extern bool g_aboutOpen;
extern bool g_settingsOpen;
extern bool g_sendErrorOpen;

// Takes a flag for one modal run, unless it is already taken, and gives it back at the end
// of the scope.
class DialogOpenFlag {
 public:
  explicit DialogOpenFlag(bool& flag) : flag_(flag), taken_(!flag) { flag_ = true; }
  ~DialogOpenFlag() {
    if (taken_) flag_ = false;
  }
  DialogOpenFlag(const DialogOpenFlag&) = delete;
  DialogOpenFlag& operator=(const DialogOpenFlag&) = delete;

  bool Taken() const { return taken_; }

 private:
  bool& flag_;
  bool taken_;
};

}  // namespace ovalink
