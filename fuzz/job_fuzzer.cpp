// A whole job from one input, all in memory. The input is cut at each
// occurrence of kSeparator: the first piece is Tavik.cmd, the second the file
// "job.txt", the others the bitmaps "1.bmp", "2.bmp", ... (at most four).
// The seeds name job.txt as CtrlFile and list the bitmaps in it.
//
// Beyond what the sanitizers catch, a finding is an Image.img whose length
// is not a whole number of 256-byte units, or a leftover temporary file.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/quendrix_app.h"
#include "output/image_file.h"
#include "testing/fake_platform.h"

namespace {

constexpr std::string_view kSeparator = "%%QDX%%";
constexpr int kMaxBitmaps = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quendrix;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FakePlatform platform;
  // A small disk: a job whose output would outgrow it takes the full-disk
  // path, instead of the fake holding many megabytes of output in memory.
  platform.diskSpace = size_t{4} << 20;
  size_t start = 0;
  for (int piece = 0; piece < kMaxBitmaps + 2 && start <= input.size(); ++piece) {
    size_t end = input.find(kSeparator, start);
    if (end == std::string_view::npos) end = input.size();
    const std::string bytes(input.substr(start, end - start));
    if (piece == 0) {
      platform.AddFile("Tavik.cmd", bytes);
    } else if (piece == 1) {
      platform.AddFile("job.txt", bytes);
    } else {
      platform.AddFile(std::to_string(piece - 1) + ".bmp", bytes);
    }
    start = end + kSeparator.size();
  }

  CQuendrixApp app(platform);
  app.RunConversion();
  const std::string output = platform.Absolute("Image.img");
  if (platform.HasFile(output) && platform.FileBytes(output).size() % kFillUnit != 0) {
    std::abort();
  }
  if (platform.HasFile(TemporaryOutputPath(output))) std::abort();
  return app.Run();
}
