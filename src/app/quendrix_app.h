#pragma once

// The application object. Its start-up hook runs the whole batch job in the
// current directory:
//
//   1. delete an old Image.img;
//   2. read CtrlFile and NoHeader from section [Convert] of Tavik.cmd;
//   3. read the link definition file that CtrlFile names, checking each
//      bitmap it lists;
//   4. write Image.img.
//
// It opens no window and reads no command line; problems are shown as
// messages, and the program always ends with exit code 0.

#include <memory>
#include <string>

#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

class CQuendrixApp {
 public:
  explicit CQuendrixApp(Platform& platform);

  // The start-up hook: the whole job. Returns true in every case.
  bool RunConversion();
  // The run loop: with no main window it ends at once. The exit code.
  int Run();

  const ImageTable& table() const { return *table_; }

 private:
  Platform& platform_;
  std::unique_ptr<ImageTable> table_;
};

}  // namespace quendrix
