// Bitmaps of about 100 bytes whose headers claim pictures of about 2 GB are
// refused from their headers with the size message, before anything of the
// claimed size is allocated: in a job on the fake platform, whose memory is
// capped far below the claims, and in the real program.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/quendrix_app.h"
#include "model/messages.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"
#include "testing/program_run.h"

namespace quendrix {
namespace {

namespace fs = std::filesystem;

struct Claim {
  const char* why;
  std::string file;
};

std::vector<Claim> HugeClaims() {
  BmpBuilder shape;
  shape.bitCount = 8;
  shape.colors = {kWhite, kBlack};

  // 40000 x 50000 pixels of 8 bits: 2e9 bytes, all but 8 of them missing.
  BmpBuilder plain = shape;
  plain.width = 40000;
  plain.height = 50000;
  plain.pixels.assign(8, 0);
  plain.fileSizeField = 62 + 2000000000u;

  // 32768 x 65535 pixels, run-length encoded in 40 bytes that the file does
  // hold: 2 GB of decoded rows, were they decoded.
  BmpBuilder encoded = shape;
  encoded.width = 32768;
  encoded.height = 65535;
  encoded.compression = kCompressionRle8;
  encoded.pixels.assign(40, 0);
  encoded.pixels[0] = 255;
  encoded.pixels[1] = 1;

  return {{"uncompressed, pixel data beyond the file", plain.Build()},
          {"run-length encoded, 2 GB of rows from 40 bytes", encoded.Build()}};
}

const char kControl[] = "[Convert]\nCtrlFile=job.txt\n";
const char kDefinition[] = "load big.bmp\n";

TEST(HugeClaimTest, AJobRefusesTheBitmapWithoutAllocatingForIt) {
  for (const Claim& claim : HugeClaims()) {
    ASSERT_LT(claim.file.size(), 120u) << claim.why;
    FakePlatform platform;
    platform.AddFile("Tavik.cmd", kControl);
    platform.AddFile("job.txt", kDefinition);
    platform.AddFile("big.bmp", claim.file);
    // Any attempt at a large block would show the memory message instead.
    platform.allocationLimit = 4096;
    CQuendrixApp app(platform);
    app.RunConversion();
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{{MessageIcon::kQuestion, std::string(kBadSize), "big.bmp"}}))
        << claim.why;
    EXPECT_EQ(platform.FileBytes("Image.img"), std::string(256, '\0')) << claim.why;
  }
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HugeClaimTest, TheProgramRefusesTheBitmapAtOnce) {
  const fs::path dir = fs::temp_directory_path() /
                       ("quendrix-huge-claim-" + std::to_string(::getpid()));
  for (const Claim& claim : HugeClaims()) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "Tavik.cmd", std::ios::binary) << kControl;
    std::ofstream(dir / "job.txt", std::ios::binary) << kDefinition;
    std::ofstream(dir / "big.bmp", std::ios::binary) << claim.file;

    // In the sanitizer build, an allocation above 64 MB fails as if the
    // memory were not there, which would show the memory message.
    std::string options = "allocator_may_return_null=1:max_allocation_size_mb=64";
    if (const char* given = std::getenv("ASAN_OPTIONS")) options = std::string(given) + ":" + options;
    const ProgramRun run = RunProgramIn(QUENDRIX_BINARY, dir.string(), "ASAN_OPTIONS='" + options + "'");
    EXPECT_EQ(run.exitCode, 0) << claim.why << "\n" << run.stderrText;
    EXPECT_EQ(run.stderrText, "Quendrix: warning: big.bmp ビットマップファイルのサイズが異常です。\n")
        << claim.why;
    EXPECT_EQ(ReadAll(dir / "Image.img"), std::string(256, '\0')) << claim.why;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quendrix
